#pragma once

#include "mapfile/MessageObserver.h"

#include <QString>

// What a tool run tells its caller while it walks a folder, and what it asks.
// The desktop program implements it with a status line, a progress bar, a
// results list and message boxes; the command line with printed lines and its
// --on-error answer. A run calls these from the thread it runs on.
class RunObserver : public MessageObserver
{
public:
    // How one file of a run ended, or a note about it. Every candidate file of
    // a run gets exactly one of the outcomes Written, Unchanged, Skipped or
    // Failed; Warning and FromMargins are notes that may come before it.
    enum class FileOutcome {
        Written,     // a file was written for it
        Unchanged,   // it was read and left as it was (nothing to change, or only listed)
        Skipped,     // it was passed over on purpose (an existing map with "skip if exists")
        Failed,      // it failed a check or could not be read or written; the text says why
        Warning,     // done, but something about it is doubtful; the text says what
        FromMargins, // its map was made from the margins: the sheet frame was not found
    };

    // The one-line status ("Generating map-file for N-37-001.jpg"); "" clears it.
    virtual void status(const QString &text) = 0;

    // Progress: file `index` (1-based) of `total` candidate files, its name.
    virtual void progress(int index, int total, const QString &fileName)
    {
        Q_UNUSED(index); Q_UNUSED(total); Q_UNUSED(fileName);
    }

    // The outcome of one file (its name as listed in the folder) with a text
    // for the user (the reason of a failure, the warning); empty when there is
    // nothing more to say. A failure is reported here before its message.
    virtual void fileResult(const QString &fileName, FileOutcome outcome, const QString &text)
    {
        Q_UNUSED(fileName); Q_UNUSED(outcome); Q_UNUSED(text);
    }

    // "There is error in data. Continue?" with OK and Cancel: true for OK.
    virtual bool askContinue(const QString &text, const QString &caption) = 0;

    // Asked between files: true ends the walk as a Cancel at the prompt would.
    virtual bool isCancelled() { return false; }
};
