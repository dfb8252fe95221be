#pragma once

#include "tools/RunResult.h"

#include <QString>

class RunObserver;

// Rewrites the four corner markers (MMPXY / MMPLL lines) of every map file of
// a folder from its calibration points.
class CornerMarkersRun
{
public:
    static RunResult run(const QString &folder, RunObserver &observer);
};
