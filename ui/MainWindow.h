#pragma once

#include <QMainWindow>

class QAction;
class QCommandLinkButton;
class QLabel;
class QListWidget;
class QListWidgetItem;

// The main window: the tools as large buttons (and in the Utility menu), the
// current folder with the last folders used, and the About box. A folder
// picked from the list or dropped onto the window becomes the current folder,
// which the next tool window opens on. The window keeps its place in the
// settings file under the name "MainWindow".
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget *parent = nullptr);

    QAction *mapCreatorAction() const { return m_mapCreator; }
    QAction *mapListAction() const { return m_mapList; }
    QAction *cornerMarkersAction() const { return m_cornerMarkers; }
    QAction *pathRemoverAction() const { return m_pathRemover; }
    QAction *aboutAction() const { return m_about; }
    QAction *sheetCheckAction() const { return m_sheetCheck; }
    QAction *findSheetAction() const { return m_findSheet; }

    // The folder the next tool window opens on (LastPath).
    QString currentFolder() const;

    static constexpr const char *PlacementName = "MainWindow";

public slots:
    void openMapCreator();
    void openMapList();
    void openCornerMarkers();
    void openPathRemover();
    void openAbout();
    void openSheetCheck();
    void openFindSheet();

    // Makes `folder` the current folder: LastPath, and the map creator's input
    // folder the next time it opens.
    void chooseFolder(const QString &folder);
    // Shows the current folder and the last folders used as the settings have them.
    void refreshFolders();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // Shows a tool window modally over the main window; it goes when closed.
    void openTool(QWidget *window);
    QCommandLinkButton *toolButton(const char *name, const QString &text, const QString &explanation,
                                   QAction *action);
    void restorePlacement();
    void savePlacement();

    QAction *m_mapCreator = nullptr;
    QAction *m_mapList = nullptr;
    QAction *m_cornerMarkers = nullptr;
    QAction *m_pathRemover = nullptr;
    QAction *m_about = nullptr;
    QAction *m_sheetCheck = nullptr;
    QAction *m_findSheet = nullptr;
    QLabel *m_lblFolder = nullptr;
    QListWidget *m_lstRecent = nullptr;
    QString m_chosenFolder; // picked or dropped here, for the map creator's next opening
};
