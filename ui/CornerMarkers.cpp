#include "ui/CornerMarkers.h"

#include "tools/CornerMarkersRun.h"

#include <QCoreApplication>

namespace {
FolderToolWindow::Texts texts()
{
    FolderToolWindow::Texts t;
    t.placementName = QStringLiteral("CornerMarkers");
    t.caption = QCoreApplication::translate("CornerMarkers", "OziExplorer map corner markers generator");
    t.startButton = QCoreApplication::translate("CornerMarkers", "Set  markers");
    t.startToolTip = QCoreApplication::translate("CornerMarkers", "Rewrite the four corner markers of every map file of the folder");
    t.chooserTitle = QCoreApplication::translate("CornerMarkers", "Select directory with OziExplorer map-files");
    t.pattern = QStringLiteral("*.map");
    return t;
}
} // namespace

CornerMarkers::CornerMarkers(QWidget *parent)
    : FolderToolWindow(texts(), &CornerMarkersRun::run, parent)
{
}
