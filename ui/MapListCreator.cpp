#include "ui/MapListCreator.h"

#include "tools/MapListRun.h"

namespace {
FolderToolWindow::Texts texts()
{
    FolderToolWindow::Texts t;
    t.placementName = QStringLiteral("MapListCreator");
    t.caption = QStringLiteral("OziExplorer map list creator");
    t.startButton = QStringLiteral("Create list");
    t.startToolTip = QStringLiteral("Write _MapList.csv with one line per map file of the folder");
    t.chooserTitle = QStringLiteral("Select directory with OziExplorer map-files");
    t.pattern = QStringLiteral("*.map");
    return t;
}
} // namespace

MapListCreator::MapListCreator(QWidget *parent)
    : FolderToolWindow(texts(), &MapListRun::run, parent)
{
}
