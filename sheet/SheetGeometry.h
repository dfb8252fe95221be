#pragma once

#include "sheet/SheetFields.h"

// The latitude and longitude of the nine calibration points of a sheet, from
// its identity alone: exact graticule values of the 1:1,000,000 international
// sheet system and its subdivisions. Points: 1 NW, 2 NE, 3 SE, 4 SW corner,
// 5 centre, 6 middle of the north edge, 7 west, 8 east, 9 south.
// 16-bit integer steps throw MapError on overflow.
class SheetGeometry
{
public:
    SheetGeometry() = delete;

    static double latitude(const SheetFields &sheet, int k);
    static double longitude(const SheetFields &sheet, int k);
};
