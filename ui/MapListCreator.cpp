#include "ui/MapListCreator.h"

#include "tools/MapListRun.h"

#include <QCoreApplication>

namespace {
FolderToolWindow::Texts texts()
{
    FolderToolWindow::Texts t;
    t.placementName = QStringLiteral("MapListCreator");
    t.caption = QCoreApplication::translate("MapListCreator", "OziExplorer map list creator");
    t.startButton = QCoreApplication::translate("MapListCreator", "Create list");
    t.startToolTip = QCoreApplication::translate("MapListCreator", "Write _MapList.csv with one line per map file of the folder");
    t.chooserTitle = QCoreApplication::translate("MapListCreator", "Select directory with OziExplorer map-files");
    t.pattern = QStringLiteral("*.map");
    return t;
}
} // namespace

MapListCreator::MapListCreator(QWidget *parent)
    : FolderToolWindow(texts(), &MapListRun::run, parent)
{
}
