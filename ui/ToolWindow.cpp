#include "ui/ToolWindow.h"

#include "ui/GuiRunObserver.h"
#include "ui/ResultsList.h"
#include "ui/WidgetPlacement.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>

namespace {

// Every worker thread with its observer until the thread is deleted.
struct Worker
{
    QPointer<QThread> thread;
    QPointer<GuiRunObserver> observer;
};

QList<Worker> &workers()
{
    static QList<Worker> list;
    return list;
}

// How long the program's end waits for workers that were told to stop.
constexpr int kExitWaitMs = 2000;

// At the program's end (the application object goes) the workers of closed
// windows have been told to stop; most end within milliseconds. They are
// waited for a short while and deleted. One that is still running then is
// blocked in the system (a read that does not return): it is left to the end
// of the process, its thread and observer not deleted (deleting a running
// thread aborts the program) and nothing it could reach freed before.
void endWorkersAtExit()
{
    QList<Worker> &list = workers();
    const QDeadlineTimer deadline(kExitWaitMs);
    for (const Worker &w : std::as_const(list)) {
        if (w.thread && w.thread->isRunning())
            w.thread->wait(deadline);
    }
    for (const Worker &w : std::as_const(list)) {
        if (w.thread && !w.thread->isRunning()) {
            delete w.observer.data();
            delete w.thread.data();
        }
    }
    list.clear();
}

void registerWorker(QThread *thread, GuiRunObserver *observer)
{
    static bool routineAdded = false;
    if (!routineAdded) {
        qAddPostRoutine(&endWorkersAtExit);
        routineAdded = true;
    }
    QList<Worker> &list = workers();
    list.removeIf([](const Worker &w) { return w.thread.isNull(); });
    list.append({thread, observer});
}

} // namespace

ToolWindow::ToolWindow(const QString &placementName, QWidget *parent)
    : QDialog(parent), m_placementName(placementName)
{
    setSizeGripEnabled(true);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    // The count goes into a label beside the bar, where the fill cannot hide it.
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("progressBar"));
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);
    m_progress->setVisible(false); // shown while a run goes on
    m_progressText = new QLabel(this);
    m_progressText->setObjectName(QStringLiteral("lblProgress"));
    m_progressText->setTextFormat(Qt::PlainText);
    m_progressText->setVisible(false);

    m_stop = new QPushButton(tr("Stop"), this);
    m_stop->setObjectName(QStringLiteral("cmdStop"));
    m_stop->setToolTip(tr("End the run before the next file"));
    m_stop->setEnabled(false);
    m_stop->setAutoDefault(false);
    connect(m_stop, &QPushButton::clicked, this, [this] {
        if (m_observer)
            m_observer->requestStop();
    });
}

ResultsList *ToolWindow::resultsList()
{
    if (!m_results)
        m_results = new ResultsList(this);
    return m_results;
}

ToolWindow::~ToolWindow()
{
    // The subclass is gone already: the worker is only left to end by itself.
    abandonRun(false);
}

QString ToolWindow::applicationCaption()
{
    const QString name = QGuiApplication::applicationDisplayName();
    return name.isEmpty() ? QStringLiteral("Quillmark") : name;
}

QString ToolWindow::stopQuestion(int done, int total)
{
    return tr("Stop the run? %1 of %2 files done.").arg(done).arg(total);
}

int ToolWindow::liveWorkers()
{
    int n = 0;
    for (const Worker &w : std::as_const(workers())) {
        if (!w.thread.isNull())
            ++n;
    }
    return n;
}

bool ToolWindow::isRunning() const
{
    return m_thread != nullptr;
}

bool ToolWindow::startRun(const RunFunction &run)
{
    if (m_thread)
        return false;
    // Neither the observer nor the thread is a child of the window: they live
    // until the worker ends, also when the window goes first.
    auto *observer = new GuiRunObserver(this, applicationCaption());
    connect(observer, &GuiRunObserver::statusChanged, this, [this](const QString &text) { showStatus(text); });
    connect(observer, &GuiRunObserver::progressChanged, this,
            [this](int index, int total, const QString &) { onProgress(index, total); });
    connect(observer, &GuiRunObserver::fileResulted, this,
            [this](const QString &, RunObserver::FileOutcome outcome, const QString &) {
                if (outcome != RunObserver::FileOutcome::Warning && outcome != RunObserver::FileOutcome::FromMargins)
                    ++m_done;
            });
    if (m_results)
        connect(observer, &GuiRunObserver::fileResulted, m_results, &ResultsList::addResult);

    auto result = std::make_shared<RunResult>();
    QThread *thread = QThread::create([run, observer, result] { *result = run(*observer); });
    connect(thread, &QThread::finished, this, [this, thread] { onFinished(thread); });
    connect(thread, &QThread::finished, observer, &QObject::deleteLater);
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    registerWorker(thread, observer);

    m_thread = thread;
    m_observer = observer;
    m_result = result;
    m_total = 0;
    m_done = 0;
    if (m_results)
        m_results->clear();
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    m_progress->setVisible(true);
    m_progressText->clear();
    m_progressText->setVisible(true);

    // A disabled control would hand the focus on to the next one (Cancel,
    // say): the window itself holds it during the run (Esc still reaches it),
    // and it goes back to the control after the run.
    m_focusBeforeRun = focusWidget();
    if (m_focusBeforeRun)
        setFocus(Qt::OtherFocusReason);
    setControlsEnabled(false);
    m_stop->setEnabled(true);
    if (m_focusBeforeRun && m_focusBeforeRun->isEnabled())
        m_focusBeforeRun->setFocus();
    thread->start();
    return true;
}

void ToolWindow::onProgress(int index, int total)
{
    m_total = total;
    if (total > 0) {
        m_progress->setRange(0, total);
        m_progress->setValue(qBound(0, index, total));
        m_progressText->setText(tr("%1 / %2").arg(index).arg(total));
    } else {
        // Nothing to count (an empty folder): an empty bar without a count.
        m_progress->setRange(0, 1);
        m_progress->setValue(0);
        m_progressText->clear();
    }
}

void ToolWindow::onFinished(QThread *thread)
{
    if (thread != m_thread)
        return;
    // The thread and the observer delete themselves.
    m_thread = nullptr;
    m_observer = nullptr;
    const RunResult result = m_result ? *m_result : RunResult();
    m_result.reset();
    if (m_results)
        m_results->finish(result.cancelled, m_total);
    m_stop->setEnabled(false);
    m_progress->setVisible(false);
    m_progressText->setVisible(false);
    setControlsEnabled(true);
    // Unless the user has put the focus elsewhere meanwhile.
    const QWidget *now = focusWidget();
    if (m_focusBeforeRun && (now == nullptr || now == this) && m_focusBeforeRun->isEnabled())
        m_focusBeforeRun->setFocus(Qt::OtherFocusReason);
    m_focusBeforeRun = nullptr;
    emit runFinished(result);
}

void ToolWindow::abandonRun(bool enableControls)
{
    if (!m_thread)
        return;
    if (m_observer)
        m_observer->abandon();
    // The worker's signals no longer reach this window; it ends by itself.
    disconnect(m_thread, nullptr, this, nullptr);
    if (m_observer)
        disconnect(m_observer, nullptr, this, nullptr);
    m_thread = nullptr;
    m_observer = nullptr;
    m_result.reset();
    m_stop->setEnabled(false);
    m_progress->setVisible(false);
    m_progressText->setVisible(false);
    m_focusBeforeRun = nullptr;
    if (enableControls)
        setControlsEnabled(true);
}

bool ToolWindow::askStop(bool &alive)
{
    const int done = m_done;
    QPointer<ToolWindow> self(this);
    QPointer<QMessageBox> box = new QMessageBox(QMessageBox::Question, applicationCaption(),
                                                stopQuestion(done, qMax(m_total, done)),
                                                QMessageBox::Yes | QMessageBox::No, this);
    box->setObjectName(QStringLiteral("msgStopRun"));
    box->setDefaultButton(QMessageBox::Yes);
    box->setEscapeButton(QMessageBox::No);
    const int answer = box->exec();
    delete box.data();
    alive = !self.isNull();
    return answer == QMessageBox::Yes;
}

void ToolWindow::reject()
{
    // Cancel and Esc.
    if (isRunning()) {
        bool alive = true;
        const bool stop = askStop(alive);
        if (!alive || !stop)
            return;
    }
    QDialog::reject();
}

void ToolWindow::RestoreFormPlacement()
{
    adjustSize(); // the designed size, kept when nothing is stored
    WidgetPlacement::restore(this, m_placementName);
}

void ToolWindow::SaveFormPlacement()
{
    if (m_placementSaved)
        return;
    m_placementSaved = true;
    WidgetPlacement::save(this, m_placementName);
}

void ToolWindow::closeEvent(QCloseEvent *event)
{
    // The close box (a close from the window system) asks as Cancel does; a
    // close by the program itself stops the run without a question.
    if (isRunning() && event->spontaneous()) {
        bool alive = true;
        const bool stop = askStop(alive);
        if (!alive)
            return;
        if (!stop) {
            event->ignore();
            return;
        }
    }
    abandonRun();
    SaveFormPlacement();
    QDialog::closeEvent(event);
}

void ToolWindow::done(int r)
{
    // Esc and the Cancel button end a dialog through done(), not closeEvent().
    abandonRun();
    SaveFormPlacement();
    QDialog::done(r);
}
