#pragma once

#include "tools/FrameResult.h"
#include "tools/SheetRecord.h"

#include <QString>

#include <functional>

class SheetIdentity;

// Whether a sheet's calibration needs a look: the map's corners against the
// image and against the frame the finder sees in the scan. The finder is
// handed in, so that the core does not depend on the image work.
class SheetVerdict
{
public:
    enum class Kind { Ok, OffFrame, NoFrame, Implausible, NoImage };

    using Finder = std::function<FrameResult(const QString &imagePath, const SheetIdentity &sheet)>;

    struct Result
    {
        Kind kind = Kind::Ok;
        QString reason;               // what is wrong, for the user; empty for "ok"
        bool finderRan = false;
        double maxCornerOffset = -1;  // image pixels, where the finder found a frame
        FrameResult frame;            // what the finder said, where it ran
    };

    // The verdict from the map and the image header alone: no-image or
    // implausible, or ok when nothing is wrong that can be seen without the finder.
    static Result quick(const SheetRecord &sheet);

    // The whole verdict: quick(), then the finder on the scan. `scale` in
    // thousands: the scale the image names are read at, 0 for each name's own.
    static Result judge(const SheetRecord &sheet, const Finder &finder, int scale = 0);

    // The whole verdict with a frame the finder found before (the corners may have moved since).
    static Result judgeWithFrame(const SheetRecord &sheet, const FrameResult &frame);

    // How far (image pixels) a map corner may lie from the frame corner for an
    // image of this size: 0.2 % of its longer side, at least 4 pixels.
    static double tolerance(const QSize &imageSize);

    // The largest distance between the map's corners and the frame's corners.
    static double maxOffset(const std::array<QPointF, 4> &mapCorners, const std::array<QPointF, 4> &frameCorners);

    // Why four corners NW, NE, SE, SW are not a plausible sheet outline in an
    // image of this size (an empty size skips the bounds check); empty when they are.
    static QString implausibility(const std::array<QPointF, 4> &corners, const QSize &imageSize);

    // "ok", "off-frame", "no-frame", "implausible", "no-image".
    static QString text(Kind kind);
    static bool needsLook(Kind kind) { return kind != Kind::Ok; }
    // The identity the finder is given for an image name: read at `scale`
    // (thousands), 0 for the scale the name reads as. A name that reads two
    // ways is taken as the sheet whose corners the map's own points 1 and 3
    // (north-west, south-east) lie on, when `map` is given and one fits.
    static SheetIdentity identityFor(const QString &imageName, int scale = 0, const SheetRecord *map = nullptr);
};
