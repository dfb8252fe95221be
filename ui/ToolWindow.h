#pragma once

#include "tools/RunResult.h"

#include <QDialog>

#include <functional>

class GuiRunObserver;
class QProgressBar;
class QPushButton;
class QThread;
class RunObserver;

// What every tool window shares: its placement in the settings file (restored
// when it opens, saved when it closes), and a run on a worker thread with a
// status line, a progress bar and a Stop button. The window stays alive during
// a run; its controls are disabled, and closing it stops the run first.
class ToolWindow : public QDialog
{
    Q_OBJECT
public:
    // `placementName` names the placement keys ("MapCreator" -> "LeftMapCreator").
    ToolWindow(const QString &placementName, QWidget *parent = nullptr);
    ~ToolWindow() override;

    bool isRunning() const;
    QString placementName() const { return m_placementName; }

    // The caption of a message box that has none of its own.
    static QString applicationCaption();

signals:
    void runFinished(const RunResult &result);

protected:
    using RunFunction = std::function<RunResult(RunObserver &)>;

    // Starts `run` on a worker thread; false when a run is going on already.
    bool startRun(const RunFunction &run);
    // Enables or disables the controls a run must not see change.
    virtual void setControlsEnabled(bool enabled) = 0;
    // The status line of the window.
    virtual void showStatus(const QString &text) = 0;

    // Restores the placement; call at the end of the subclass constructor.
    void RestoreFormPlacement();

    QProgressBar *progressBar() const { return m_progress; }
    QPushButton *stopButton() const { return m_stop; }

    void closeEvent(QCloseEvent *event) override;
    void done(int r) override;

private:
    void onFinished();
    void stopAndWait(bool enableControls = true);
    void SaveFormPlacement();

    QString m_placementName;
    QProgressBar *m_progress = nullptr;
    QPushButton *m_stop = nullptr;
    QThread *m_thread = nullptr;
    GuiRunObserver *m_observer = nullptr;
    RunResult m_result;
    bool m_placementSaved = false;
};
