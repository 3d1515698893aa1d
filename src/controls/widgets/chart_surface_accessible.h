#pragma once

#include <QAccessibleWidget>
#include <QPointer>

#include <vector>

class ChartSurfaceWidget;

// The chart as assistive technology reads it: an object of the chart role whose
// children are the slices it shows, in the order they were drawn, and whose
// description sums the picture up.
class ChartSurfaceAccessible final : public QAccessibleWidget
{
public:
    explicit ChartSurfaceAccessible(ChartSurfaceWidget *canvas);
    ~ChartSurfaceAccessible() override;

    // The factory Qt asks for the interface of each object.
    static QAccessibleInterface *create(const QString &className, QObject *object);

    // "Data 98.47%, その他 1.53%", or that nothing is graphed.
    static QString summary(const ChartSurfaceWidget &canvas);
    static inline const QString nothingGraphedText = QStringLiteral("表示しているグラフはありません。");

    QString text(QAccessible::Text t) const override;
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QAccessibleInterface *focusChild() const override;

private:
    ChartSurfaceWidget *canvas() const;

    // Made when first asked for and kept while the chart lives; a slice beyond what is
    // shown reads as invalid.
    mutable std::vector<QAccessible::Id> m_slices;
};

// One slice of the chart: its name, and as its value and description the size text and
// the share.
class PieSliceAccessible final : public QAccessibleInterface
{
public:
    PieSliceAccessible(ChartSurfaceWidget *canvas, int index) : m_canvas(canvas), m_index(index) {}

    bool isValid() const override;
    QObject *object() const override { return nullptr; }
    QWindow *window() const override;
    QAccessibleInterface *parent() const override;
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override;

    int index() const { return m_index; }

private:
    QPointer<ChartSurfaceWidget> m_canvas;
    int m_index;
};
