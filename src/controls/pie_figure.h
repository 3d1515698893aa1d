#pragma once

#include "controls/drawing_surface.h"

#include <QByteArray>
#include <QLine>
#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QString>

#include <numbers>
#include <vector>

// Radians in a whole turn of the pie.
inline constexpr double fullTurn = 2 * std::numbers::pi;

// One slice of a drawn pie as data: what it stands for and where it lies. Angles are
// radians, clockwise on screen from the right-hand axis.
struct PieSlice {
    QString name;
    QByteArray key; // the folder a section stands for; empty for the folded "その他"
    QString sizeText;
    QString note; // what the size leaves out, or what the folded slice holds, told after it
    std::vector<QByteArray> foldedKeys; // of the folded slice: the sections it holds
    double share = 0; // of the pie's total, 0 to 1
    Colour colour = 0;
    double startAngle = 0;
    double endAngle = 0;
    QPoint rimStart; // where the slice's first and last edges meet the rim
    QPoint rimEnd;
    QPoint labelCentre;
    QRect labelBox;    // the framed box the name is printed in; empty when it found no room
    QString labelText; // the name as the label shows it, shortened with "…" where room is short
    QLine labelLeader; // from the rim to a label moved off it; null for one on the rim
};

// What a pie chart shows, in the surface's pixels: the ellipse and its slices in the
// order they were drawn. A pie of one slice is the whole ellipse.
struct PieFigure {
    QPoint centre;
    int radiusX = 0;
    int radiusY = 0;
    std::vector<PieSlice> slices;

    QRect ellipseBox() const { return QRect(centre.x() - radiusX, centre.y() - radiusY, 2 * radiusX, 2 * radiusY); }
    bool isWholeEllipse() const { return slices.size() == 1; }

    // The slice drawn at a point, -1 for none; where slices overlap, the later one was
    // drawn over the earlier. A label's box counts as its slice, and labels lie over
    // the pie. The few pixels round the centre, where all slices meet, are none's.
    int sliceAt(QPointF point) const;
};
