#pragma once

#include <QString>

class MapFile;

// Whether the calibration points of a map read from a file can give its four
// corners. The corners are the four positioned points farthest from the
// centre (MapFile::SortPoints), so every point that has a pixel position must
// be read as it stands in the file: an x of 40000, which 16 bits cannot hold,
// would be read as 0 and could be taken for a corner; a blank Point04 would
// let the centre point (Point05) be taken for the south-west corner.
class CornerPoints
{
public:
    CornerPoints() = delete;

    enum class Check {
        Pixels,          // the pixel positions only
        PixelsAndDegrees // and the degrees (the corner markers' and the coverage's latitude and longitude)
    };

    // Why the map's corners cannot be had from its points: names the point
    // and what is wrong with it ("Point01's x \"40000\" is not within
    // 0..32767", "Point04 has no pixel position"); empty when they can.
    // Points 1..4 must each have a pixel position; every point 1..9 that has
    // one must have numbers there within 0..32767 and within the image
    // (its IWH line), and with `check` PixelsAndDegrees latitude and longitude
    // numbers on the globe.
    static QString problem(const MapFile &map, Check check);
};
