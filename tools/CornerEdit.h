#pragma once

#include <QPointF>
#include <QString>

#include <array>
#include <vector>

class MapFile;

// Moving a map's four corners: points 1..4 go to the new pixel positions,
// points 5..9 (where the map has them) follow as the map creator places them
// from the corners, and the corner markers are written from the points. Every
// other line keeps its bytes (the map is read with KeepReadLines).
class CornerEdit
{
public:
    // `corners` NW, NE, SE, SW in image pixels. Returns the message for the
    // user when the map cannot take them (it is then unchanged), else "".
    static QString apply(MapFile &map, const std::array<QPointF, 4> &corners);

    // The pixel positions of the map's points 1..9 that have one, for drawing.
    static std::vector<QPointF> pointPositions(const MapFile &map);

    // Whether the map has the four corners (with degrees) and the marker lines an edit needs; "" when it has.
    static QString unusableReason(const MapFile &map);
};
