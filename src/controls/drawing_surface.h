#pragma once

#include <QString>
#include <QtGlobal>

// A colour: RGB(r, g, b) = r + 256·g + 65536·b, or a system colour reference (top bit
// set, system colour index in the low byte).
using Colour = quint32;

constexpr Colour rgb(int red, int green, int blue)
{
    return Colour(red) | Colour(green) << 8 | Colour(blue) << 16;
}

inline constexpr Colour windowTextColour = 0x80000008;
inline constexpr Colour highlight3DColour = 0x80000014;

struct PieFigure;

// The surface the pie chart draws on. All numbers are pixels from the top-left corner
// of the drawing area, y growing downward.
class DrawingSurface
{
public:
    virtual ~DrawingSurface() = default;

    virtual int scaleWidth() const = 0;
    virtual int scaleHeight() const = 0;

    // Erases every drawing and text since the last clear; the background stays.
    virtual void cls() = 0;

    // The fill of later pies, ellipses and outlined boxes.
    virtual void setFillColor(Colour colour) = 0;

    virtual void setFontSize(double points) = 0;
    virtual void setFontName(const QString &name) = 0;
    virtual double textWidth(const QString &text) const = 0;
    virtual double textHeight(const QString &text) const = 0;

    // A rectangle from (x, y) to (x + dx, y + dy), both corners included: outlined in
    // colour and filled with the fill colour (box), or filled with colour (filledBox).
    virtual void box(int x, int y, int dx, int dy, Colour colour) = 0;
    virtual void filledBox(int x, int y, int dx, int dy, Colour colour) = 0;

    // A line from (x1, y1) to (x2, y2), both ends included, in colour.
    virtual void line(int x1, int y1, int x2, int y2, Colour colour) = 0;

    // Text with its top-left corner at (x, y), in the current font and the foreground
    // colour, with no background of its own.
    virtual void print(int x, int y, const QString &text) = 0;

    // The ellipse inscribed in the box between the edges left/right and top/bottom
    // (either order; the right and bottom edges excluded), filled with the fill colour
    // and outlined in the foreground colour.
    virtual void ellipse(int left, int top, int right, int bottom) = 0;

    // The wedge of that ellipse running counterclockwise on screen from the ray through
    // (x1, y1) to the ray through (x2, y2); the whole ellipse when both are one pixel.
    virtual void pie(int left, int top, int right, int bottom, int x1, int y1, int x2, int y2) = 0;

    // What the drawing since the last clear shows, told once it is drawn; cls() forgets
    // it. Assistive technology, the keyboard and pointing read the picture from this.
    virtual void setFigure(const PieFigure &figure) = 0;
};
