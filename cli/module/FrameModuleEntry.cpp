// The frame finder module of quillmark-cli (see cli/FrameModule.h): two plain
// entry points that the program resolves by name.

#include "frame/FrameFinder.h"

#include <QtGlobal>

extern "C" Q_DECL_EXPORT void quillmark_frame_find(const QString *imagePath, const SheetIdentity *sheet,
                                                   FrameResult *result)
{
    *result = FrameFinder::find(*imagePath, *sheet);
}

extern "C" Q_DECL_EXPORT void quillmark_frame_corner_source(CornerSource *source)
{
    *source = FrameFinder::cornerSource();
}
