#pragma once

#include <QAccessible>
#include <QList>
#include <QObject>

#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

// One accessibility event as it was sent: its type, its object and the child it names
// (-1 for the object itself).
struct AccessibleEventRecord {
    QAccessible::Event type;
    QObject *object;
    int child;
    bool operator==(const AccessibleEventRecord &) const = default;
};

inline QList<AccessibleEventRecord> &accessibleEvents()
{
    static QList<AccessibleEventRecord> events;
    return events;
}

// Qt sends accessibility events only while assistive technology listens; on the
// offscreen platform nothing does, so a test switches the platform's side on itself,
// as Qt's own tests do, and keeps what is sent in accessibleEvents(). False when the
// platform has no accessibility at all.
inline bool recordAccessibleEvents()
{
    QPlatformAccessibility *accessibility = QGuiApplicationPrivate::platformIntegration()->accessibility();
    if (!accessibility)
        return false;
    accessibility->setActive(true);
    QAccessible::installUpdateHandler([](QAccessibleEvent *event) {
        accessibleEvents().append({event->type(), event->object(), event->child()});
    });
    return true;
}
