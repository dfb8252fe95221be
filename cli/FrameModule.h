#pragma once

#include "tools/FrameResult.h"
#include "tools/SheetCorners.h"

#include <QString>

class SheetIdentity;

// The frame finder, loaded when a command first needs it. It lives in a
// module of its own beside the program (with OpenCV and its image codecs,
// which pull in some 150 libraries): a command that reads no scan, such as
// `create` without --find-frame, starts without loading them.
class FrameModule
{
public:
    FrameModule() = delete;

    // Loads the module (once); false with `error` when it cannot be loaded.
    static bool load(QString &error);

    // FrameFinder::find; a module that cannot be loaded gives a result that
    // says so.
    static FrameResult find(const QString &imagePath, const SheetIdentity &sheet);

    // FrameFinder::cornerSource; call load() first.
    static CornerSource cornerSource();
};
