#pragma once

#include "tools/RunObserver.h"

#include <QHash>
#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QWaitCondition>

#include <atomic>
#include <functional>
#include <memory>

class QWidget;

// The desktop program's side of a tool run that goes on a worker thread.
// Status, progress and file results go to the window as queued signals;
// messages and the "Continue?" question are shown modally by the GUI thread
// while the worker waits for the answer. abandon() (the window is closing)
// wakes a waiting worker, answers every later question with Cancel and
// swallows later messages and signals, so the window can go at once and leave
// the worker to end by itself.
//
// The question carries a "Don't ask again in this run" check box. Ticked with
// OK, later questions of the run are answered OK without a box, and the error
// message that comes right before each of them (the one that follows the
// file's Failed result, which the results list holds) is not shown either.
// Other messages (warnings, notes, "Done") are still shown.
class GuiRunObserver : public QObject, public RunObserver
{
    Q_OBJECT
public:
    // `window` parents the message boxes; `appCaption` is the caption of a box without one.
    GuiRunObserver(QWidget *window, const QString &appCaption);

    void message(const QString &text, const QString &caption, Icon icon) override;
    void status(const QString &text) override;
    void progress(int index, int total, const QString &fileName) override;
    void fileResult(const QString &fileName, FileOutcome outcome, const QString &text) override;
    bool askContinue(const QString &text, const QString &caption) override;
    bool isCancelled() override;

    void requestStop();  // the Stop button: the walk ends before the next file
    void abandon();      // the window closes: stop, and wake a waiting worker
    bool dontAskAgain() const; // the user ticked "Don't ask again in this run" with OK

    // Shows one message box on the GUI thread; used for the run's messages.
    static void showMessage(QWidget *parent, const QString &text, const QString &caption,
                            Icon icon, const QString &appCaption);

    // The text of the question's check box.
    static QString dontAskText();

signals:
    void statusChanged(const QString &text);
    void progressChanged(int index, int total, const QString &fileName);
    void fileResulted(const QString &fileName, RunObserver::FileOutcome outcome, const QString &text);

private:
    // What the worker and the GUI thread share. A question posted to the GUI
    // thread holds it too, so the observer may go while a message box is up.
    struct Shared
    {
        QMutex mutex;
        QWaitCondition answered;
        std::atomic<bool> stop{false};
        std::atomic<bool> abandoned{false};
        std::atomic<bool> dontAsk{false};
        quint64 nextTicket = 0;
        quint64 doneTicket = 0;
        QHash<quint64, bool> answers;
    };

    // Runs `ask` on the GUI thread and waits for it; false when abandoned first.
    bool onGuiThread(const std::function<bool()> &ask);
    void setStatus(const QString &text);

    QPointer<QWidget> m_window;
    QString m_appCaption;
    std::shared_ptr<Shared> m_shared;

    // Used by the worker only: the file being worked on, the last status
    // line, and whether the last thing said was a file's failure.
    QString m_currentFile;
    QString m_lastStatus;
    bool m_failurePending = false;
};
