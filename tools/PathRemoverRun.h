#pragma once

#include "tools/RunResult.h"

#include <QString>

class RunObserver;

// Strips the directory from the image path line of every map file of a folder.
class PathRemoverRun
{
public:
    static RunResult run(const QString &folder, RunObserver &observer);
};
