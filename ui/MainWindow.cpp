#include "ui/MainWindow.h"

#include "settings/Settings.h"
#include "ui/AboutBox.h"
#include "ui/CornerMarkers.h"
#include "ui/FindSheet.h"
#include "ui/MapCreator.h"
#include "ui/MapListCreator.h"
#include "ui/PathRemover.h"
#include "ui/SheetCheck.h"
#include "ui/Translations.h"

#include <QLabel>
#include <QMenuBar>

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(QStringLiteral("Quillmark"));

    QMenu *utility = menuBar()->addMenu(tr("&Utility"));
    utility->setObjectName(QStringLiteral("mnuUtility"));
    m_mapCreator = utility->addAction(tr("Map creator"), this, &MainWindow::openMapCreator);
    m_mapList = utility->addAction(tr("Map list creator"), this, &MainWindow::openMapList);
    m_cornerMarkers = utility->addAction(tr("Corner markers"), this, &MainWindow::openCornerMarkers);
    m_pathRemover = utility->addAction(tr("Image path remover"), this, &MainWindow::openPathRemover);
    utility->addAction(tr("Find sheet"), this, [this] { openTool(new FindSheet(this)); })
        ->setObjectName(QStringLiteral("actFindSheet"));
    m_sheetCheck = utility->addAction(tr("Check calibration"), this, &MainWindow::openSheetCheck);
    utility->addSeparator();
    utility->addAction(tr("E&xit"), this, &QWidget::close);

    QMenu *help = menuBar()->addMenu(tr("&Help"));
    m_about = help->addAction(tr("&About"), this, &MainWindow::openAbout);
    Translations::addLanguageMenu(help, this);

    auto *text = new QLabel(tr("<p>Calibration files for scanned topographic map sheets.</p>"
                               "<p>Choose a tool from the <b>Utility</b> menu:</p>"
                               "<ul><li><b>Map creator</b> writes a map file for every sheet image of a folder;</li>"
                               "<li><b>Map list creator</b> lists the map files of a folder in _MapList.csv;</li>"
                               "<li><b>Corner markers</b> rewrites the corner markers of map files;</li>"
                               "<li><b>Image path remover</b> strips the folder from the image paths.</li></ul>"),
                            this);
    text->setObjectName(QStringLiteral("lblIntro"));
    text->setWordWrap(true);
    text->setMargin(12);
    text->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    setCentralWidget(text);
    resize(520, 260);

    Settings::loadLastPath();
}

void MainWindow::openTool(QWidget *window)
{
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowModality(Qt::ApplicationModal);
    window->show();
}

void MainWindow::openMapCreator()
{
    openTool(new MapCreator(this));
}

void MainWindow::openMapList()
{
    openTool(new MapListCreator(this));
}

void MainWindow::openCornerMarkers()
{
    openTool(new CornerMarkers(this));
}

void MainWindow::openPathRemover()
{
    openTool(new PathRemover(this));
}

void MainWindow::openAbout()
{
    AboutBox box(this);
    box.exec();
}

void MainWindow::openSheetCheck()
{
    openTool(new SheetCheck(this));
}
