#pragma once

#include "tools/MapCreatorOptions.h"
#include "tools/RunResult.h"

class RunObserver;

// The map creator: for every sheet image of the input folder, a calibrated
// map file of the same base name in the output folder.
class MapCreatorRun
{
public:
    static RunResult run(const MapCreatorOptions &options, RunObserver &observer);
};
