#pragma once

#include "mapfile/MessageObserver.h"

#include <QString>

// What a tool run tells its caller while it walks a folder, and what it asks.
// The desktop program implements it with a status line, a progress bar and
// message boxes; the command line with printed lines and its --on-error answer.
// A run calls these from the thread it runs on.
class RunObserver : public MessageObserver
{
public:
    // The one-line status ("Generating map-file for N-37-001.jpg"); "" clears it.
    virtual void status(const QString &text) = 0;

    // Progress: file `index` (1-based) of `total` candidate files, its name.
    virtual void progress(int index, int total, const QString &fileName)
    {
        Q_UNUSED(index); Q_UNUSED(total); Q_UNUSED(fileName);
    }

    // "There is error in data. Continue?" with OK and Cancel: true for OK.
    virtual bool askContinue(const QString &text, const QString &caption) = 0;

    // Asked between files: true ends the walk as a Cancel at the prompt would.
    virtual bool isCancelled() { return false; }
};
