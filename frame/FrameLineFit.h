#pragma once

#include "frame/FrameLine.h"

#include <vector>

class FrameProbe;

// The thin dark lines of the full-size scan near a rough line: cuts across the
// rough line all along it, each averaged over a short stretch along it and
// read between pixels; the dips of the cuts that line up along many cuts are
// lines, fitted to sub-pixel centres. Every such line within the window is
// returned, so that the choice between a frame line and a road or a grid
// line beside it is left to the frame as a whole.
class FrameLineFit
{
public:
    // `rough` gives horizontal, a and b; cuts are made from `alongFrom` to
    // `alongTo`; lines are looked for within `window` pixels of the rough
    // one. `flank`: how far beside a dip the paper is looked for; `spread`:
    // pixels along the line averaged into each cut on either side.
    static std::vector<FrameLine> fit(const FrameProbe &probe, const FrameLine &rough, double alongFrom,
                                      double alongTo, double window, int flank, int spread);
};
