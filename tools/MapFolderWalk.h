#pragma once

#include "tools/RunResult.h"

#include <QString>

#include <functional>

class RunObserver;

// The walk the map file utilities share: every map file of a folder in order,
// progress and cancellation between files, for a file that fails a message
// naming it and the "There is error in data. Continue?" question, and the
// status line after each file.
class MapFolderWalk
{
public:
    // The work on one file (full path, file name): the message for the user
    // when the file failed and was left as it was, or an empty text. A MapError
    // (or any other exception) it throws is such a failure, with its text.
    using FileWork = std::function<QString(const QString &path, const QString &name)>;

    struct Options
    {
        QString statusPrefix;        // "Set corner markers for " + file name after each file
        bool countFailed = false;    // a failed file continued with OK counts (and gets its status line)
        // The work reports Written or Unchanged for a file it did not fail
        // (RunObserver::fileResult); otherwise the walk reports it Unchanged.
        bool workReportsOutcome = false;
    };

    // "Folder X is not exist" (caption "Error", critical) and false when the folder is missing.
    static bool requireFolder(const QString &folder, RunObserver &observer, RunResult &result);

    // Walks the map files; fills count, failed and cancelled. Says no "Done".
    static void walk(const QString &folder, RunObserver &observer, const Options &options,
                     const FileWork &work, RunResult &result);

    // A whole run of a utility that works on each file alone: the folder
    // check, the walk and "Done".
    static RunResult run(const QString &folder, RunObserver &observer, const Options &options, const FileWork &work);

    // "Done N map-files", with the application's own caption.
    static void sayDone(RunObserver &observer, int count);

    // The caption of every error message and question of the utilities.
    static QString errorCaption();
};
