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
// Status and progress go to the window as queued signals; messages and the
// "Continue?" question are shown modally by the GUI thread while the worker
// waits for the answer. abandon() (the window is closing) wakes a waiting
// worker, answers every later question with Cancel and swallows later messages,
// so the window can wait for the worker without a deadlock.
class GuiRunObserver : public QObject, public RunObserver
{
    Q_OBJECT
public:
    // `window` parents the message boxes; `appCaption` is the caption of a box without one.
    GuiRunObserver(QWidget *window, const QString &appCaption);

    void message(const QString &text, const QString &caption, Icon icon) override;
    void status(const QString &text) override;
    void progress(int index, int total, const QString &fileName) override;
    bool askContinue(const QString &text, const QString &caption) override;
    bool isCancelled() override;

    void requestStop();  // the Stop button: the walk ends before the next file
    void abandon();      // the window closes: stop, and wake a waiting worker

    // Shows one message box on the GUI thread; used for the run's messages.
    static void showMessage(QWidget *parent, const QString &text, const QString &caption,
                            Icon icon, const QString &appCaption);

signals:
    void statusChanged(const QString &text);
    void progressChanged(int index, int total, const QString &fileName);

private:
    // What the worker and the GUI thread share. A question posted to the GUI
    // thread holds it too, so the observer may go while a message box is up.
    struct Shared
    {
        QMutex mutex;
        QWaitCondition answered;
        std::atomic<bool> stop{false};
        std::atomic<bool> abandoned{false};
        quint64 nextTicket = 0;
        quint64 doneTicket = 0;
        QHash<quint64, bool> answers;
    };

    // Runs `ask` on the GUI thread and waits for it; false when abandoned first.
    bool onGuiThread(const std::function<bool()> &ask);

    QPointer<QWidget> m_window;
    QString m_appCaption;
    std::shared_ptr<Shared> m_shared;
};
