#include "frame/FrameFinder.h"

#include "sheet/SheetIdentity.h"

#include <opencv2/core.hpp>

FrameResult FrameFinder::find(const QString &imagePath, const SheetIdentity &sheet)
{
    Q_UNUSED(imagePath);
    Q_UNUSED(sheet);
    FrameResult result;
    result.reason = QStringLiteral("the frame finder is not built yet");
    return result;
}
