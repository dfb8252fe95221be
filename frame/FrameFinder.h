#pragma once

#include "tools/FrameResult.h"
#include "tools/SheetCorners.h"

#include <QString>

class SheetIdentity;

// Finds the inner frame of a scanned map sheet: the crossing of the centre
// lines of the inner frame lines at each of the four corners.
class FrameFinder
{
public:
    // `sheet` is the identity read from the image's file name (it has passed
    // its checks); its scale and place give the frame's expected shape.
    static FrameResult find(const QString &imagePath, const SheetIdentity &sheet);

    // The finder as the map creator takes it.
    static CornerSource cornerSource();
};
