#include "ui/PathRemover.h"

#include "tools/PathRemoverRun.h"

namespace {
FolderToolWindow::Texts texts()
{
    FolderToolWindow::Texts t;
    t.placementName = QStringLiteral("PathRemover");
    t.caption = QStringLiteral("OziExplorer map image path remover");
    t.startButton = QStringLiteral("Remove paths");
    t.startToolTip = QStringLiteral("Strip the folder from the image path of every map file of the folder");
    t.chooserTitle = QStringLiteral("Select directory with OziExplorer map-files");
    t.pattern = QStringLiteral("*.map");
    return t;
}
} // namespace

PathRemover::PathRemover(QWidget *parent)
    : FolderToolWindow(texts(), &PathRemoverRun::run, parent)
{
}
