#pragma once

#include "controls/drawing_surface.h"
#include "controls/pie_figure.h"

#include <QFont>
#include <QImage>
#include <QPainterPath>
#include <QWidget>

#include <functional>

class QHelpEvent;

// A slice's edge: centre, rim and back; the whole ellipse for a pie of one slice.
QPainterPath sliceOutline(const PieFigure &figure, int slice);

// A drawing surface that draws into an image of its own and paints from it, so that
// what was drawn survives being covered. The image has the window's device pixel
// ratio: coordinates are logical pixels, lines and text come out at full resolution.
// Its background picture stays through cls(). With the keyboard focus, Left and Right
// step through the slices of what it shows; the current one is outlined.
class ChartSurfaceWidget final : public QWidget, public DrawingSurface
{
    Q_OBJECT

public:
    explicit ChartSurfaceWidget(QWidget *parent = nullptr);

    // Makes the background picture at a device pixel ratio, covering at least a size;
    // asked again when the ratio changes or the surface outgrows it.
    using Picture = std::function<QImage(qreal devicePixelRatio, QSize covering)>;
    void setBackground(Picture background);
    QImage image() const { return m_image; }

    const PieFigure &figure() const { return m_figure; }
    // The slice Left and Right have reached, -1 for none.
    int currentSlice() const { return m_currentSlice; }

    int scaleWidth() const override { return width(); }
    int scaleHeight() const override { return height(); }
    void cls() override;
    void setFillColor(Colour colour) override { m_fillColour = colour; }
    void setFontSize(double points) override;
    void setFontName(const QString &name) override;
    double textWidth(const QString &text) const override;
    double textHeight(const QString &text) const override;
    void box(int x, int y, int dx, int dy, Colour colour) override;
    void filledBox(int x, int y, int dx, int dy, Colour colour) override;
    void line(int x1, int y1, int x2, int y2, Colour colour) override;
    void print(int x, int y, const QString &text) override;
    void ellipse(int left, int top, int right, int bottom) override;
    void pie(int left, int top, int right, int bottom, int x1, int y1, int x2, int y2) override;
    void setFigure(const PieFigure &figure) override;

    // A colour as Qt paints it; system colours come from the widget's palette.
    QColor toQColor(Colour colour) const;

signals:
    // A click on a slice, or Enter on the current one: the folder it stands for.
    void sliceActivated(const QByteArray &key);
    // Backspace: back up to the folder above.
    void backRequested();

protected:
    bool event(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void drawShape(const std::function<void(QPainter &)> &draw);
    void clearImage();
    void remakeImage();
    void replaceFigure(const PieFigure &figure);
    void stepSlice(int step);
    void showToolTip(const QHelpEvent &help);

    Picture m_backgroundPicture;
    QImage m_background;
    QImage m_image;
    PieFigure m_figure;
    int m_currentSlice = -1;
    Colour m_fillColour = rgb(192, 255, 255);
    const Colour m_foregroundColour = windowTextColour;
};
