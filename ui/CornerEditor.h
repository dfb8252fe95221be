#pragma once

#include "mapfile/MapFile.h"
#include "tools/SheetVerdict.h"

#include <QDialog>
#include <QStringList>

#include <memory>

class CornerView;
class QLabel;
class QPushButton;
class QThread;

// One sheet's calibration in close-up: the scan with the map's four corners
// as handles (see CornerView), "Find frame" to put them where the finder sees
// the frame, Save to write the map file, and Previous / Next through the
// sheets of the check window. Points 5..9 follow the corners as the map
// creator places them. Nothing is written except on Save.
class CornerEditor : public QDialog
{
    Q_OBJECT
public:
    CornerEditor(const QStringList &mapPaths, int index, const SheetVerdict::Finder &finder,
                 QWidget *parent = nullptr);
    ~CornerEditor() override;

    int index() const { return m_index; }
    QString mapPath() const { return m_paths.value(m_index); }
    bool isModified() const;
    CornerView *view() const { return m_view; }

public slots:
    bool save();
    void findFrame();
    void previous();
    void next();

signals:
    // A map file was written.
    void saved(const QString &mapPath);
    // The editor went to another sheet of the list.
    void sheetChanged(int index);
    // "Find frame" has finished (the handles moved when found is true).
    void frameSearchFinished(bool found);

protected:
    void done(int r) override;
    void closeEvent(QCloseEvent *event) override;

private:
    bool open(int index);
    // Asks about unsaved changes: true when the sheet may be left.
    bool mayLeave();
    void cornersEdited();
    void showState();
    void setBusy(bool busy);

    QStringList m_paths;
    int m_index = -1;
    SheetVerdict::Finder m_finder;

    QByteArray m_openedBytes;   // the map file as it was read (or last saved)
    std::unique_ptr<MapFile> m_map; // the map with the edit applied
    bool m_editable = false;
    QString m_problem;          // why the map cannot be edited, or the last edit's failure
    QString m_scanWarning;      // what the scan's reader said of a picture it gave
    FrameResult m_frame;        // what "Find frame" said for this sheet
    QSize m_imageSize;
    QThread *m_search = nullptr;

    CornerView *m_view = nullptr;
    QLabel *m_title = nullptr;
    QLabel *m_state = nullptr;
    QPushButton *m_previous = nullptr;
    QPushButton *m_next = nullptr;
    QPushButton *m_find = nullptr;
    QPushButton *m_save = nullptr;
    QPushButton *m_close = nullptr;
};
