#include "ui/MainWindow.h"

#include "settings/RecentFolders.h"
#include "settings/Settings.h"
#include "ui/AboutBox.h"
#include "ui/CornerMarkers.h"
#include "ui/FindSheet.h"
#include "ui/FolderDrop.h"
#include "ui/MapCreator.h"
#include "ui/MapListCreator.h"
#include "ui/PathRemover.h"
#include "ui/SheetCheck.h"
#include "ui/Translations.h"
#include "ui/WidgetPlacement.h"

#include <QCloseEvent>
#include <QCommandLinkButton>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QVBoxLayout>

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(QStringLiteral("Quillmark"));

    QMenu *utility = menuBar()->addMenu(tr("&Utility"));
    utility->setObjectName(QStringLiteral("mnuUtility"));
    m_mapCreator = utility->addAction(tr("&Map creator"), QKeySequence(Qt::CTRL | Qt::Key_1), this,
                                      &MainWindow::openMapCreator);
    m_mapList = utility->addAction(tr("Map &list creator"), QKeySequence(Qt::CTRL | Qt::Key_2), this,
                                   &MainWindow::openMapList);
    m_cornerMarkers = utility->addAction(tr("&Corner markers"), QKeySequence(Qt::CTRL | Qt::Key_3), this,
                                         &MainWindow::openCornerMarkers);
    m_pathRemover = utility->addAction(tr("&Image path remover"), QKeySequence(Qt::CTRL | Qt::Key_4), this,
                                       &MainWindow::openPathRemover);
    m_findSheet = utility->addAction(tr("&Find sheet"), QKeySequence(Qt::CTRL | Qt::Key_5), this,
                                     &MainWindow::openFindSheet);
    m_findSheet->setObjectName(QStringLiteral("actFindSheet"));
    m_sheetCheck = utility->addAction(tr("C&heck calibration"), QKeySequence(Qt::CTRL | Qt::Key_6), this,
                                      &MainWindow::openSheetCheck);
    utility->addSeparator();
    utility->addAction(tr("E&xit"), this, &QWidget::close);

    QMenu *help = menuBar()->addMenu(tr("&Help"));
    m_about = help->addAction(tr("&About"), this, &MainWindow::openAbout);
    Translations::addLanguageMenu(help, this);

    auto *central = new QWidget(this);
    auto *text = new QLabel(tr("Calibration files for scanned topographic map sheets. Choose a tool; "
                               "drop a folder here to make it the current folder."),
                            central);
    text->setObjectName(QStringLiteral("lblIntro"));
    text->setWordWrap(true);

    // The tools, each with its one line of explanation.
    auto *tools = new QGridLayout;
    tools->addWidget(toolButton("cmdMapCreator", tr("Map creator"),
                                tr("Writes a map file for every sheet image of a folder"), m_mapCreator),
                     0, 0);
    tools->addWidget(toolButton("cmdMapList", tr("Map list creator"),
                                tr("Lists the map files of a folder in _MapList.csv"), m_mapList),
                     0, 1);
    tools->addWidget(toolButton("cmdCornerMarkers", tr("Corner markers"),
                                tr("Rewrites the corner markers of the map files of a folder"), m_cornerMarkers),
                     1, 0);
    tools->addWidget(toolButton("cmdPathRemover", tr("Image path remover"),
                                tr("Strips the folder from the image paths of map files"), m_pathRemover),
                     1, 1);
    tools->addWidget(toolButton("cmdFindSheet", tr("Find sheet"),
                                tr("Names the sheet that holds a place, at a chosen scale"), m_findSheet),
                     2, 0);
    tools->addWidget(toolButton("cmdSheetCheck", tr("Check calibration"),
                                tr("Shows each map's calibration drawn on its scan"), m_sheetCheck),
                     2, 1);

    // The current folder and the last folders used.
    auto *folders = new QGroupBox(tr("Folders"), central);
    folders->setObjectName(QStringLiteral("frameFolders"));
    m_lblFolder = new QLabel(folders);
    m_lblFolder->setObjectName(QStringLiteral("lblFolder"));
    m_lblFolder->setTextFormat(Qt::PlainText);
    m_lblFolder->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_lstRecent = new QListWidget(folders);
    m_lstRecent->setObjectName(QStringLiteral("lstRecent"));
    m_lstRecent->setToolTip(tr("The last folders used: click one to make it the current folder"));
    connect(m_lstRecent, &QListWidget::itemClicked, this,
            [this](QListWidgetItem *item) { chooseFolder(item->data(Qt::UserRole).toString()); });
    connect(m_lstRecent, &QListWidget::itemActivated, this,
            [this](QListWidgetItem *item) { chooseFolder(item->data(Qt::UserRole).toString()); });
    auto *foldersLayout = new QVBoxLayout(folders);
    foldersLayout->addWidget(m_lblFolder);
    foldersLayout->addWidget(new QLabel(tr("Last folders used:"), folders));
    foldersLayout->addWidget(m_lstRecent, 1);

    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->addWidget(text);
    layout->addLayout(tools);
    layout->addWidget(folders, 1);
    setCentralWidget(central);

    Settings::loadLastPath();
    refreshFolders();

    auto *drop = new FolderDrop(this);
    connect(drop, &FolderDrop::folderDropped, this, [this](const QString &folder) { chooseFolder(folder); });

    restorePlacement();
}

QCommandLinkButton *MainWindow::toolButton(const char *name, const QString &text, const QString &explanation,
                                           QAction *action)
{
    auto *button = new QCommandLinkButton(text, explanation); // the layout gives it its parent
    button->setObjectName(QLatin1String(name));
    button->setToolTip(action->shortcut().toString(QKeySequence::NativeText));
    button->setAutoDefault(false);
    connect(button, &QCommandLinkButton::clicked, action, &QAction::trigger);
    return button;
}

QString MainWindow::currentFolder() const
{
    return Settings::LastPath();
}

void MainWindow::chooseFolder(const QString &folder)
{
    if (folder.isEmpty())
        return;
    Settings::setLastPath(folder);
    m_chosenFolder = folder;
    refreshFolders();
}

void MainWindow::refreshFolders()
{
    const QString current = Settings::LastPath();
    m_lblFolder->setText(current.isEmpty() ? tr("Current folder: none chosen yet")
                                           : tr("Current folder: %1").arg(current));
    m_lstRecent->clear();
    for (const QString &folder : RecentFolders::list()) {
        if (!QFileInfo(QDir::fromNativeSeparators(folder)).isDir())
            continue; // gone, or on a drive that is not there now: kept in the settings all the same
        auto *item = new QListWidgetItem(folder, m_lstRecent);
        item->setData(Qt::UserRole, folder);
        if (!current.isEmpty() && RecentFolders::samePath(folder, current))
            m_lstRecent->setCurrentItem(item);
    }
    if (m_lstRecent->count() == 0) {
        auto *none = new QListWidgetItem(tr("None yet: the folder of every run is listed here"), m_lstRecent);
        none->setFlags(Qt::NoItemFlags);
    }
}

void MainWindow::openTool(QWidget *window)
{
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowModality(Qt::ApplicationModal);
    // A run adds its folder to the last ones used, and a chooser may have moved LastPath.
    if (auto *dialog = qobject_cast<QDialog *>(window))
        connect(dialog, &QDialog::finished, this, &MainWindow::refreshFolders);
    window->show();
}

void MainWindow::openMapCreator()
{
    auto *window = new MapCreator(this);
    if (!m_chosenFolder.isEmpty()) {
        window->setInFolder(m_chosenFolder);
        m_chosenFolder.clear();
    }
    openTool(window);
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

void MainWindow::openFindSheet()
{
    openTool(new FindSheet(this));
}

void MainWindow::restorePlacement()
{
    resize(minimumSizeHint().expandedTo(QSize(560, 500)));
    WidgetPlacement::restore(this, QLatin1String(PlacementName));
}

void MainWindow::savePlacement()
{
    WidgetPlacement::save(this, QLatin1String(PlacementName));
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    savePlacement();
    QMainWindow::closeEvent(event);
}
