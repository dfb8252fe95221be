#pragma once

#include "ui/ToolWindow.h"

#include <QString>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// A tool window over one folder of map files: the folder box with its Browse
// button, a start button, Stop, Cancel (also Esc) and a status line. The chosen
// folder is stored as setting "Path" when a run starts.
class FolderToolWindow : public ToolWindow
{
    Q_OBJECT
public:
    using FolderRun = std::function<RunResult(const QString &folder, RunObserver &observer)>;

    struct Texts
    {
        QString placementName; // "CornerMarkers"
        QString caption;       // the window's caption
        QString startButton;   // "Set  markers"
        QString startToolTip;
        QString chooserTitle;  // the folder chooser's caption
        QString pattern;       // the files the chooser lists
    };

    FolderToolWindow(const Texts &texts, const FolderRun &run, QWidget *parent = nullptr);

    QString folderPath() const { return m_folderPath; }

public slots:
    void browse();   // cmdBrowseOut
    void startRun(); // Command1

protected:
    void setControlsEnabled(bool enabled) override;
    void showStatus(const QString &text) override;

private:
    Texts m_texts;
    FolderRun m_run;
    QString m_folderPath;
    QGroupBox *m_frame = nullptr;
    QLineEdit *m_txtPathOut = nullptr;
    QPushButton *m_browse = nullptr;
    QPushButton *m_start = nullptr;
    QPushButton *m_cancel = nullptr;
    QLabel *m_lblSay = nullptr;
};
