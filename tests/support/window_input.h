#pragma once

#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QTest>
#include <QWidget>
#include <QWindow>

// Input as the windowing system delivers it: to the top-level window's QWindow, at the
// place of a widget, so that event filters, focus and modality all take part.
namespace WindowInput {

inline QWindow *windowOf(QWidget *widget)
{
    QWindow *window = widget->window()->windowHandle();
    Q_ASSERT_X(window, "WindowInput", "the widget's window is not shown");
    return window;
}

inline QPoint placeOf(QWidget *widget, QPoint point)
{
    return widget->mapTo(widget->window(), point.isNull() ? widget->rect().center() : point);
}

// A click at a point of the widget (its centre when none is given).
inline void click(QWidget *widget, QPoint point = {}, Qt::MouseButton button = Qt::LeftButton)
{
    QTest::mouseClick(windowOf(widget), button, {}, placeOf(widget, point));
}

inline void doubleClick(QWidget *widget, QPoint point = {})
{
    QTest::mouseDClick(windowOf(widget), Qt::LeftButton, {}, placeOf(widget, point));
}

inline void moveTo(QWidget *widget, QPoint point = {})
{
    QTest::mouseMove(windowOf(widget), placeOf(widget, point));
}

// A drag dropped over a widget, delivered as the windowing system delivers one: an
// enter, then the drop, to the window.
inline void drop(QWidget *widget, const QMimeData &data)
{
    const QPoint place = placeOf(widget, {});
    QDragEnterEvent enter(place, Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(windowOf(widget), &enter);
    QDropEvent dropped(place, Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(windowOf(widget), &dropped);
}

// A key to whatever has the focus in the widget's window.
inline void key(QWidget *widget, Qt::Key key, Qt::KeyboardModifiers modifiers = {})
{
    QTest::keyClick(windowOf(widget), key, modifiers);
}

// Typed one key at a time; the text is ASCII.
inline void type(QWidget *widget, const QByteArray &text)
{
    for (const char character : text)
        QTest::keyClick(windowOf(widget), character);
}

} // namespace WindowInput
