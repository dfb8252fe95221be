#include "ui/PathRemover.h"

#include "tools/PathRemoverRun.h"

#include <QCoreApplication>

namespace {
FolderToolWindow::Texts texts()
{
    FolderToolWindow::Texts t;
    t.placementName = QStringLiteral("PathRemover");
    t.caption = QCoreApplication::translate("PathRemover", "OziExplorer map image path remover");
    t.startButton = QCoreApplication::translate("PathRemover", "Remove paths");
    t.startToolTip = QCoreApplication::translate("PathRemover", "Strip the folder from the image path of every map file of the folder");
    t.chooserTitle = QCoreApplication::translate("PathRemover", "Select directory with OziExplorer map-files");
    t.pattern = QStringLiteral("*.map");
    return t;
}
} // namespace

PathRemover::PathRemover(QWidget *parent)
    : FolderToolWindow(texts(), &PathRemoverRun::run, parent)
{
}
