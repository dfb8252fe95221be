#pragma once

#include "mapfile/MapTextEncoding.h"
#include "tools/RunResult.h"

#include <QString>

class RunObserver;

// Writes "_MapList.csv", one record per map file of a folder.
class MapListRun
{
public:
    // The list in Windows-1251.
    static RunResult run(const QString &folder, RunObserver &observer);
    // The list written in `encoding`; each map file is read in its own encoding.
    static RunResult runWithEncoding(const QString &folder, RunObserver &observer, MapTextEncoding::Kind encoding);
};
