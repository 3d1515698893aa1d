#pragma once

#include "platform/drawing_surface.h"

#include <QFont>
#include <QImage>
#include <QWidget>

#include <functional>

// A drawing surface that draws into an image of its own and paints from it, so that
// what was drawn survives being covered. Its background picture stays through cls().
class QtCanvas final : public QWidget, public DrawingSurface
{
    Q_OBJECT

public:
    explicit QtCanvas(QWidget *parent = nullptr);

    void setBackground(const QImage &background);
    QImage image() const { return m_image; }

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
    void print(int x, int y, const QString &text) override;
    void ellipse(int left, int top, int right, int bottom) override;
    void pie(int left, int top, int right, int bottom, int x1, int y1, int x2, int y2) override;

    // A colour as Qt paints it; system colours come from the widget's palette.
    QColor toQColor(Colour colour) const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void drawShape(const std::function<void(QPainter &)> &draw);

    QImage m_background;
    QImage m_image;
    Colour m_fillColour = rgb(192, 255, 255);
    const Colour m_foregroundColour = windowTextColour;
};
