#pragma once

#include "frame/FrameLine.h"

#include <QString>

#include <opencv2/core.hpp>

#include <vector>

// The coarse search along one side of the scan: the long straight lines
// running along that side, on a reduced binary image of the scan's thin dark
// strokes. Each line is a peak of the votes of the strokes over offset and
// angle (every angle a turned scan and the sheet's leaning sides give), taken
// over the middle of the side, where a sheet's frame surely runs.
class FrameEdge
{
public:
    enum Side { North = 0, East = 1, South = 2, West = 3 };

    static bool horizontal(Side side) { return side == North || side == South; }
    static QString sideName(Side side);

    // The lines along `side`, strongest first, as rough lines on the full-size
    // image (`factor` full-size pixels a reduced pixel). `lean`: the angle in
    // degrees the sheet's edge is expected at on an unturned scan, on the
    // side's own axes (along it, and inwards from the image's edge).
    // `bend`: the expected bend of the side's lines on the full-size image
    // (FrameLine's c, about the middle of the side).
    static std::vector<FrameLine> candidates(const cv::Mat &strokes, Side side, int factor, double lean, double bend = 0);
};
