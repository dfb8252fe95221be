#pragma once

#include "tools/RunResult.h"

#include <QDialog>
#include <QPointer>

#include <functional>
#include <memory>

class GuiRunObserver;
class QLabel;
class QProgressBar;
class QPushButton;
class QThread;
class ResultsList;
class RunObserver;

// What every tool window shares: its placement in the settings file (restored
// when it opens, saved when it closes), and a run on a worker thread with a
// status line, a progress bar with its count beside it, a Stop button and a
// results list. The window stays alive during a run; its controls are
// disabled (the keyboard focus is kept for after the run). Cancel, Esc and
// the window's close box ask before they stop a run; Stop does not.
//
// Closing never waits for the worker: the run is abandoned (told to stop,
// every later question answered Cancel) and the window goes at once, while
// the worker ends by itself and its thread and observer are deleted then. The
// worker uses only its own copies and the observer, never the window.
class ToolWindow : public QDialog
{
    Q_OBJECT
public:
    // `placementName` names the placement keys ("MapCreator" -> "LeftMapCreator").
    ToolWindow(const QString &placementName, QWidget *parent = nullptr);
    ~ToolWindow() override;

    bool isRunning() const;
    QString placementName() const { return m_placementName; }
    // The results list, made on the first call: a window that runs places it in its layout.
    ResultsList *resultsList();

    // The caption of a message box that has none of its own.
    static QString applicationCaption();
    // The question asked before a run is stopped by Cancel, Esc or the close box.
    static QString stopQuestion(int done, int total);

    // Worker threads that have not been deleted yet (those of closed windows too).
    static int liveWorkers();

public slots:
    void reject() override;

signals:
    void runFinished(const RunResult &result);

protected:
    using RunFunction = std::function<RunResult(RunObserver &)>;

    // Starts `run` on a worker thread; false when a run is going on already.
    // `run` is copied: nothing of the window may be reached through it.
    bool startRun(const RunFunction &run);
    // Enables or disables the controls a run must not see change.
    virtual void setControlsEnabled(bool enabled) = 0;
    // The status line of the window.
    virtual void showStatus(const QString &text) = 0;

    // Restores the placement; call at the end of the subclass constructor.
    void RestoreFormPlacement();

    QProgressBar *progressBar() const { return m_progress; }
    QLabel *progressText() const { return m_progressText; }
    QPushButton *stopButton() const { return m_stop; }

    void closeEvent(QCloseEvent *event) override;
    void done(int r) override;

private:
    void onProgress(int index, int total);
    void onFinished(QThread *thread);
    // Asks whether the run is to be stopped; false for No. `this` may be gone
    // when it returns (see `alive`).
    bool askStop(bool &alive);
    void abandonRun(bool enableControls = true);
    void SaveFormPlacement();

    QString m_placementName;
    QProgressBar *m_progress = nullptr;
    QLabel *m_progressText = nullptr;
    QPushButton *m_stop = nullptr;
    ResultsList *m_results = nullptr;
    QThread *m_thread = nullptr;                // the running worker; it deletes itself when it ends
    QPointer<GuiRunObserver> m_observer;        // deleted with the worker
    std::shared_ptr<RunResult> m_result;        // written by the worker when its run returns
    QPointer<QWidget> m_focusBeforeRun;
    int m_total = 0;                            // the run's progress total
    int m_done = 0;                             // files of the run with their outcome
    bool m_placementSaved = false;
};
