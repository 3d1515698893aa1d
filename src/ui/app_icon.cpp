#include "ui/app_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

void drawFolder(QPainter &painter, QPointF origin, const QColor &fill)
{
    QPainterPath folder;
    folder.moveTo(origin + QPointF(0, 3));
    folder.lineTo(origin + QPointF(6, 3));
    folder.lineTo(origin + QPointF(8, 0));
    folder.lineTo(origin + QPointF(14, 0));
    folder.lineTo(origin + QPointF(15, 3));
    folder.lineTo(origin + QPointF(20, 3));
    folder.lineTo(origin + QPointF(20, 16));
    folder.lineTo(origin + QPointF(0, 16));
    folder.closeSubpath();
    painter.setPen(QPen(fill.darker(160), 1));
    painter.setBrush(fill);
    painter.drawPath(folder);
}

} // namespace

QIcon appIcon()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    drawFolder(painter, {1.5, 1.5}, QColor(120, 150, 150));
    drawFolder(painter, {6.5, 7.5}, QColor(120, 200, 150));
    drawFolder(painter, {11.5, 13.5}, QColor(120, 250, 150));
    painter.end();
    return QIcon(pixmap);
}
