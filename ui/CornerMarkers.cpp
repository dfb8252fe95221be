#include "ui/CornerMarkers.h"

#include "tools/CornerMarkersRun.h"

namespace {
FolderToolWindow::Texts texts()
{
    FolderToolWindow::Texts t;
    t.placementName = QStringLiteral("CornerMarkers");
    t.caption = QStringLiteral("OziExplorer map corner markers generator");
    t.startButton = QStringLiteral("Set  markers");
    t.startToolTip = QStringLiteral("Rewrite the four corner markers of every map file of the folder");
    t.chooserTitle = QStringLiteral("Select directory with OziExplorer map-files");
    t.pattern = QStringLiteral("*.map");
    return t;
}
} // namespace

CornerMarkers::CornerMarkers(QWidget *parent)
    : FolderToolWindow(texts(), &CornerMarkersRun::run, parent)
{
}
