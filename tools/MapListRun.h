#pragma once

#include "tools/RunResult.h"

#include <QString>

class RunObserver;

// Writes "_MapList.csv", one record per map file of a folder.
class MapListRun
{
public:
    static RunResult run(const QString &folder, RunObserver &observer);
};
