#pragma once

#include "sheet/SheetFields.h"

#include <QString>

// The sheet that holds a place, at one scale: its identity fields and its
// name as the map creator takes names (Cyrillic letters at 1:50K and below,
// "s" before the row letter south of the equator, and north of 60 degrees the
// group of sheets that one image covers, as the series publishes them).
//
// A point on the edge between sheets belongs to the sheet to its north-east:
// each sheet holds its south and west edges, not its north and east edges.
// 180 degrees east is the same meridian as 180 degrees west.
class SheetLocator
{
public:
    struct Result
    {
        SheetFields fields; // iScale in thousands; iY unset
        QString name;       // "N-37-001-А-а-1", "P-37-001,002", "sK-37-001"
        QString error;      // empty when a sheet was found
        bool ok() const { return error.isEmpty(); }
    };

    // `scale` in thousands (1000, 500, 200, 100, 50, 25, 10). Latitude and
    // longitude in decimal degrees, south and west negative.
    static Result locate(double lat, double lon, int scale);

    // Whether the sheet `fields` holds the point (south and west edges
    // included, north and east edges not).
    static bool holds(const SheetFields &fields, double lat, double lon);
};
