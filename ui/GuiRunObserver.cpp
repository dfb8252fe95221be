#include "ui/GuiRunObserver.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QMutexLocker>
#include <QThread>
#include <QWidget>

namespace {

// A box on the heap under a guard: the window that parents it may go while it
// is up (the program is closing), and then the box goes with it. `checkText`
// adds a check box; `checked` tells whether it was ticked.
QMessageBox::StandardButton execBox(QMessageBox::Icon icon, const QString &caption, const QString &text,
                                    QMessageBox::StandardButtons buttons, QWidget *parent,
                                    const QString &checkText = QString(), bool *checked = nullptr)
{
    QPointer<QMessageBox> box = new QMessageBox(icon, caption, text, buttons, parent);
    box->setDefaultButton(QMessageBox::Ok);
    QPointer<QCheckBox> check;
    if (!checkText.isEmpty()) {
        check = new QCheckBox(checkText, box);
        check->setObjectName(QStringLiteral("chkDontAsk"));
        box->setCheckBox(check);
    }
    const int result = box->exec();
    if (box.isNull())
        return QMessageBox::Cancel;
    if (checked)
        *checked = check && check->isChecked();
    delete box;
    return QMessageBox::StandardButton(result);
}

} // namespace

GuiRunObserver::GuiRunObserver(QWidget *window, const QString &appCaption)
    : m_window(window), m_appCaption(appCaption), m_shared(std::make_shared<Shared>())
{
}

QString GuiRunObserver::dontAskText()
{
    return QCoreApplication::translate("GuiRunObserver", "Don't ask again in this run");
}

void GuiRunObserver::showMessage(QWidget *parent, const QString &text, const QString &caption,
                                 Icon icon, const QString &appCaption)
{
    QMessageBox::Icon boxIcon = QMessageBox::NoIcon;
    switch (icon) {
    case Icon::Critical: boxIcon = QMessageBox::Critical; break;
    case Icon::Information: boxIcon = QMessageBox::Information; break;
    case Icon::Warning: boxIcon = QMessageBox::Warning; break;
    case Icon::None: boxIcon = QMessageBox::NoIcon; break;
    }
    execBox(boxIcon, caption.isEmpty() ? appCaption : caption, text, QMessageBox::Ok, parent);
}

bool GuiRunObserver::onGuiThread(const std::function<bool()> &ask)
{
    const std::shared_ptr<Shared> shared = m_shared;
    if (shared->abandoned)
        return false;
    if (QThread::currentThread() == thread())
        return ask();

    quint64 ticket;
    {
        QMutexLocker lock(&shared->mutex);
        ticket = ++shared->nextTicket;
    }
    QMetaObject::invokeMethod(this, [shared, ask, ticket] {
        // Only `shared` and the copies in `ask` are used here: the observer
        // itself may be gone when a box shown by `ask` closes.
        const bool answer = shared->abandoned ? false : ask();
        QMutexLocker lock(&shared->mutex);
        shared->answers.insert(ticket, answer);
        shared->doneTicket = qMax(shared->doneTicket, ticket);
        shared->answered.wakeAll();
    }, Qt::QueuedConnection);

    QMutexLocker lock(&shared->mutex);
    while (shared->doneTicket < ticket && !shared->abandoned)
        shared->answered.wait(&shared->mutex);
    const bool answer = shared->answers.take(ticket);
    return shared->abandoned ? false : answer;
}

void GuiRunObserver::setStatus(const QString &text)
{
    m_lastStatus = text;
    if (!m_shared->abandoned)
        emit statusChanged(text);
}

void GuiRunObserver::message(const QString &text, const QString &caption, Icon icon)
{
    const bool afterFailure = m_failurePending;
    m_failurePending = false;
    // The failure is in the results list already, and its question will not be asked.
    if (afterFailure && m_shared->dontAsk)
        return;
    // While the box is up, the status line names the file it is about.
    if (!m_currentFile.isEmpty() && !m_lastStatus.contains(m_currentFile))
        setStatus(tr("File %1").arg(m_currentFile));
    const QPointer<QWidget> window = m_window;
    const QString appCaption = m_appCaption;
    onGuiThread([window, appCaption, text, caption, icon] {
        showMessage(window, text, caption, icon, appCaption);
        return true;
    });
}

bool GuiRunObserver::askContinue(const QString &text, const QString &caption)
{
    m_failurePending = false;
    if (m_shared->dontAsk)
        return !m_shared->abandoned;
    const QPointer<QWidget> window = m_window;
    const std::shared_ptr<Shared> shared = m_shared;
    const QString checkText = dontAskText();
    return onGuiThread([window, shared, text, caption, checkText] {
        bool checked = false;
        const bool ok = execBox(QMessageBox::Question, caption, text, QMessageBox::Ok | QMessageBox::Cancel, window,
                                checkText, &checked)
            == QMessageBox::Ok;
        if (ok && checked)
            shared->dontAsk = true;
        return ok;
    });
}

void GuiRunObserver::status(const QString &text)
{
    m_failurePending = false;
    // The walk clears the status line at its end: no file is worked on then.
    if (text.isEmpty())
        m_currentFile.clear();
    setStatus(text);
}

void GuiRunObserver::progress(int index, int total, const QString &fileName)
{
    m_failurePending = false;
    m_currentFile = fileName;
    if (!m_shared->abandoned)
        emit progressChanged(index, total, fileName);
}

void GuiRunObserver::fileResult(const QString &fileName, FileOutcome outcome, const QString &text)
{
    m_failurePending = outcome == FileOutcome::Failed;
    if (!m_shared->abandoned)
        emit fileResulted(fileName, outcome, text);
}

bool GuiRunObserver::isCancelled()
{
    return m_shared->stop || m_shared->abandoned;
}

bool GuiRunObserver::dontAskAgain() const
{
    return m_shared->dontAsk;
}

void GuiRunObserver::requestStop()
{
    m_shared->stop = true;
}

void GuiRunObserver::abandon()
{
    QMutexLocker lock(&m_shared->mutex);
    m_shared->abandoned = true;
    m_shared->stop = true;
    m_shared->answered.wakeAll();
}
