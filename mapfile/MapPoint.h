#pragma once

#include <QtGlobal>

// One calibration point: pixel position and degrees (south and west negative).
// LineNo belongs to the slot, not to the point (see MapFile::SortPoints).
struct MapPoint
{
    qint16 X = 0;
    qint16 Y = 0;
    double Lat = 0;
    double Lon = 0;
    int LineNo = 0;
};
