#pragma once

#include <QPointF>
#include <QSize>
#include <QString>

#include <array>

// What the frame finder says of one scan: the four corners of the sheet's
// inner frame, or why it found none.
struct FrameResult
{
    enum Corner { NW = 0, NE = 1, SE = 2, SW = 3 };

    bool found = false;
    // Image pixels, x to the right, y down, pixel centres at whole numbers;
    // in the order NW, NE, SE, SW. Meaningful only when found.
    std::array<QPointF, 4> corners;
    // How well the corners fit a sheet frame: 0 (no fit) .. 1 (perfect).
    double quality = 0;
    // Why no frame was found ("cannot decode the image", ...); empty when found.
    QString reason;
    // The decoded image's size in pixels (empty when it could not be decoded).
    QSize imageSize;
};
