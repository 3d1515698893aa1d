#include "controls/widgets/chart_surface_accessible.h"

#include "controls/widgets/chart_surface_widget.h"
#include "platform/locale_formats.h"

#include <QStringList>

ChartSurfaceAccessible::ChartSurfaceAccessible(ChartSurfaceWidget *canvas)
    : QAccessibleWidget(canvas, QAccessible::Chart)
{
}

ChartSurfaceAccessible::~ChartSurfaceAccessible()
{
    for (const QAccessible::Id id : m_slices)
        QAccessible::deleteAccessibleInterface(id);
}

QAccessibleInterface *ChartSurfaceAccessible::create(const QString &className, QObject *object)
{
    if (className == QLatin1String(ChartSurfaceWidget::staticMetaObject.className()) && object && object->isWidgetType())
        return new ChartSurfaceAccessible(static_cast<ChartSurfaceWidget *>(object));
    return nullptr;
}

QString ChartSurfaceAccessible::summary(const ChartSurfaceWidget &canvas)
{
    QStringList parts;
    for (const PieSlice &slice : canvas.figure().slices)
        parts << slice.name + QLatin1Char(' ') + formatPercent(slice.share, 2);
    return parts.isEmpty() ? nothingGraphedText : parts.join(QStringLiteral(", "));
}

QString ChartSurfaceAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Description)
        return summary(*canvas());
    return QAccessibleWidget::text(t);
}

int ChartSurfaceAccessible::childCount() const
{
    return int(canvas()->figure().slices.size());
}

QAccessibleInterface *ChartSurfaceAccessible::child(int index) const
{
    if (index < 0 || index >= childCount())
        return nullptr;
    while (m_slices.size() <= size_t(index))
        m_slices.push_back(QAccessible::registerAccessibleInterface(new PieSliceAccessible(canvas(), int(m_slices.size()))));
    return QAccessible::accessibleInterface(m_slices[size_t(index)]);
}

int ChartSurfaceAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    const auto *slice = dynamic_cast<const PieSliceAccessible *>(child);
    if (!slice || slice->index() >= childCount() || slice->parent() != this)
        return -1;
    return slice->index();
}

QAccessibleInterface *ChartSurfaceAccessible::childAt(int x, int y) const
{
    const QPoint local = canvas()->mapFromGlobal(QPoint(x, y));
    return child(canvas()->figure().sliceAt(local));
}

QAccessibleInterface *ChartSurfaceAccessible::focusChild() const
{
    if (!canvas()->hasFocus())
        return nullptr;
    return child(canvas()->currentSlice());
}

ChartSurfaceWidget *ChartSurfaceAccessible::canvas() const
{
    return static_cast<ChartSurfaceWidget *>(widget());
}

bool PieSliceAccessible::isValid() const
{
    return m_canvas && size_t(m_index) < m_canvas->figure().slices.size();
}

QWindow *PieSliceAccessible::window() const
{
    return m_canvas ? m_canvas->window()->windowHandle() : nullptr;
}

QAccessibleInterface *PieSliceAccessible::parent() const
{
    return QAccessible::queryAccessibleInterface(m_canvas.data());
}

QString PieSliceAccessible::text(QAccessible::Text t) const
{
    if (!isValid())
        return {};
    const PieSlice &slice = m_canvas->figure().slices[size_t(m_index)];
    switch (t) {
    case QAccessible::Name:
        return slice.name;
    // Screen readers read a list item's description, not always its value.
    case QAccessible::Value:
    case QAccessible::Description: {
        const QString figures = slice.sizeText.isEmpty() ? formatPercent(slice.share, 2) : slice.sizeText + QStringLiteral(", ") + formatPercent(slice.share, 2);
        return slice.note.isEmpty() ? figures : figures + QLatin1Char(' ') + slice.note;
    }
    default:
        return {};
    }
}

QRect PieSliceAccessible::rect() const
{
    if (!isValid())
        return {};
    const QRect local = sliceOutline(m_canvas->figure(), m_index).boundingRect().toAlignedRect();
    return QRect(m_canvas->mapToGlobal(local.topLeft()), local.size());
}

QAccessible::State PieSliceAccessible::state() const
{
    QAccessible::State state;
    if (!isValid()) {
        state.invalid = true;
        return state;
    }
    state.focusable = true;
    state.selectable = true;
    const bool current = m_canvas->currentSlice() == m_index;
    state.selected = current;
    state.focused = current && m_canvas->hasFocus();
    return state;
}
