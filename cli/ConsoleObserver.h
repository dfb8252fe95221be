#pragma once

#include "tools/RunObserver.h"

// Prints a run's messages for a terminal or a script:
//  - "Error: <text>" / "Warning: <text>" lines (the caption, a colon, the text) on stderr,
//  - "Warning: <file>: <text>" for a file that was done with a warning,
//  - messages without a caption ("Done 3 map-files") on stdout, and after
//    them the summary of the files' outcomes ("Written 2, unchanged 0,
//    skipped 0, failed 1"): the "Done" count takes in the files that failed,
//  - on a terminal only, a progress line on stderr that the next line overwrites.
// The "continue?" question is answered by the --on-error choice; Ctrl+C asks
// the run to stop after the current file.
class ConsoleObserver : public RunObserver
{
public:
    enum class OnError { Continue, Stop };

    explicit ConsoleObserver(OnError onError = OnError::Continue);
    ~ConsoleObserver() override;

    void message(const QString &text, const QString &caption, Icon icon) override;
    void status(const QString &text) override;
    void progress(int index, int total, const QString &fileName) override;
    // Warnings and notes about a file: "Warning: <file>: <text>" on stderr (a
    // failure is printed by its message already).
    void fileResult(const QString &fileName, FileOutcome outcome, const QString &text) override;
    bool askContinue(const QString &text, const QString &caption) override;
    bool isCancelled() override;

    // "Written N, unchanged N, skipped N, failed N" on stdout: how the files
    // of the run ended, as the results list of a window sums them up.
    void printSummary();

    // Parses an --on-error value ("continue" or "stop"); false for anything else.
    static bool parseOnError(const QString &value, OnError &onError);

private:
    void clearProgress();

    OnError m_onError;
    bool m_tty = false;
    int m_progressWidth = 0;
    int m_written = 0;
    int m_unchanged = 0;
    int m_skipped = 0;
    int m_failed = 0;
};
