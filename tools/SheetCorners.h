#pragma once

#include <QPointF>
#include <QSize>
#include <QString>

#include <array>
#include <functional>

class SheetIdentity;

// What a frame finder tells the map creator of one scan: the inner frame's
// corners NW, NE, SE, SW in image pixels, or why it found none, and the size
// of the decoded image (empty when it could not be decoded).
struct SheetCorners
{
    bool found = false;
    std::array<QPointF, 4> corners;
    QSize imageSize;
    QString reason;
};

// Looks for the frame of the sheet `sheet` in the image at `imagePath`. It is
// called from worker threads, one image each, so it must keep no shared state.
using CornerSource = std::function<SheetCorners(const QString &imagePath, const SheetIdentity &sheet)>;
