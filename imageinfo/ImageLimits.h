#pragma once

#include <QString>
#include <QtGlobal>

// The largest image the tools take: a map file holds pixel positions and
// image sizes in 16 bits.
class ImageLimits
{
public:
    ImageLimits() = delete;

    static constexpr int kMaxSide = 32767;

    // "the image is W x H pixels: a map file holds at most 32767 pixels a
    // side" when a side is longer than that, else an empty text.
    static QString sideProblem(qint64 width, qint64 height);
};
