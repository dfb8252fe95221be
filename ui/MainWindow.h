#pragma once

#include <QMainWindow>

class QAction;

// The main window: the Utility menu that opens each tool's window, and the About box.
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

public slots:
    void openMapCreator();
    void openMapList();
    void openCornerMarkers();
    void openPathRemover();
    void openAbout();
    void openSheetCheck();

private:
    // Shows a tool window modally over the main window; it goes when closed.
    void openTool(QWidget *window);

    QAction *m_mapCreator = nullptr;
    QAction *m_mapList = nullptr;
    QAction *m_cornerMarkers = nullptr;
    QAction *m_pathRemover = nullptr;
    QAction *m_about = nullptr;
    QAction *m_sheetCheck = nullptr;
};
