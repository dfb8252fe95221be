#pragma once

// How a tool run ended.
struct RunResult
{
    int count = 0;           // the count shown in "Done N map-files"
    int failed = 0;          // files that failed a check or could not be read or written
    bool cancelled = false;  // the walk was ended by Cancel or by the caller
    bool folderMissing = false; // the run did not start: a folder does not exist
    int fromFrame = 0;       // map files placed on a found sheet frame (frame search on)
    int fromMargins = 0;     // map files placed from the margins while the frame search was on

    // Exit status for scripts: 0 no failure, 1 some file failed, 2 the run did not start.
    int exitCode() const { return folderMissing ? 2 : (failed > 0 ? 1 : 0); }
};
