#pragma once

#include "tools/SheetVerdict.h"
#include "ui/ToolWindow.h"

#include <QThreadPool>

#include <atomic>
#include <memory>
#include <vector>

class CornerEditor;
class CoverageView;
class QLabel;
class QLineEdit;
class QListView;
class QModelIndex;
class QPushButton;
class QSortFilterProxyModel;
class QTabWidget;
class SheetListModel;

// The sheet check window: every map file of a folder as a thumbnail of its
// scan with the calibration drawn on it, the sheets that need a look first
// and marked; a coverage tab with the sheets' footprints; a double click
// opens the corner editor. Thumbnails and the frame finder run on worker
// threads; nothing is written except by the editor's Save.
class SheetCheck : public ToolWindow
{
    Q_OBJECT
public:
    static constexpr int kThumbnailSide = 256;
    // Thumbnails handed to each worker at a time.
    static constexpr int kThumbnailsAWorker = 4;

    explicit SheetCheck(QWidget *parent = nullptr, const SheetVerdict::Finder &finder = {});
    ~SheetCheck() override;

    QString folderPath() const;
    SheetListModel *model() const { return m_model; }
    QSortFilterProxyModel *sortedModel() const { return m_sorted; }
    QListView *listView() const { return m_list; }
    CoverageView *coverageView() const { return m_coverage; }
    QTabWidget *tabs() const { return m_tabs; }
    // Thumbnails made so far and verdicts the finder gave so far, of this folder.
    int thumbnailsDone() const { return m_thumbnailsDone; }
    int verdictsDone() const { return m_verdictsDone; }
    // Whether every thumbnail and every verdict of the folder is there.
    bool isComplete() const;
    // The map files in the order they are shown.
    QStringList shownMapPaths() const;

public slots:
    void browse();
    // Reads the folder in the text box and fills the window.
    void loadFolder();
    // Opens the corner editor on a shown row.
    CornerEditor *openEditor(int shownRow);
    void selectSheet(int modelRow);

signals:
    void thumbnailsFinished();
    void verdictsFinished();
    void editorOpened(CornerEditor *editor);

protected:
    void setControlsEnabled(bool enabled) override;
    void showStatus(const QString &text) override;

private:
    void startThumbnails();
    void feedThumbnails();
    int nextThumbnailRow(int firstShown, int lastShown);
    void shownRowsOnScreen(int &first, int &last) const;
    void startVerdicts();
    void stopWorkers();
    void updateCoverage();
    void updateStatus();
    void mapSaved(const QString &mapPath);

    SheetVerdict::Finder m_finder;
    SheetListModel *m_model = nullptr;
    QSortFilterProxyModel *m_sorted = nullptr;
    QLineEdit *m_txtPath = nullptr;
    QPushButton *m_browse = nullptr;
    QPushButton *m_load = nullptr;
    QTabWidget *m_tabs = nullptr;
    QListView *m_list = nullptr;
    CoverageView *m_coverage = nullptr;
    QLabel *m_lblSay = nullptr;
    QPushButton *m_close = nullptr;

    QThreadPool m_thumbnailPool;
    QThreadPool m_verdictPool;
    // The folder load a worker's result belongs to; results of an older one are dropped.
    std::shared_ptr<std::atomic<int>> m_generation = std::make_shared<std::atomic<int>>(0);
    int m_thumbnailsWanted = 0;
    int m_thumbnailsDone = 0;
    // Thumbnails are handed to the pool a few at a time, the rows on screen
    // first, so that a screen scrolled to fills next whatever the folder's size.
    std::vector<char> m_thumbnailPending; // by model row
    int m_thumbnailsQueued = 0;
    int m_thumbnailsRunning = 0;
    int m_thumbnailCursor = 0; // the shown row from which the rest are taken in order
    int m_onScreenFirst = 0;   // the shown rows on screen, as of the last scroll
    int m_onScreenLast = -1;
    int m_verdictsWanted = 0;
    int m_verdictsDone = 0;
    bool m_verdictsStarted = false;
};
