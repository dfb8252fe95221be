#include "ui/GuiRunObserver.h"

#include <QMessageBox>
#include <QMetaObject>
#include <QMutexLocker>
#include <QThread>
#include <QWidget>

namespace {

// A box on the heap under a guard: the window that parents it may go while it
// is up (the program is closing), and then the box goes with it.
QMessageBox::StandardButton execBox(QMessageBox::Icon icon, const QString &caption, const QString &text,
                                    QMessageBox::StandardButtons buttons, QWidget *parent)
{
    QPointer<QMessageBox> box = new QMessageBox(icon, caption, text, buttons, parent);
    box->setDefaultButton(QMessageBox::Ok);
    const int result = box->exec();
    if (box.isNull())
        return QMessageBox::Cancel;
    delete box;
    return QMessageBox::StandardButton(result);
}

} // namespace

GuiRunObserver::GuiRunObserver(QWidget *window, const QString &appCaption)
    : m_window(window), m_appCaption(appCaption), m_shared(std::make_shared<Shared>())
{
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

void GuiRunObserver::message(const QString &text, const QString &caption, Icon icon)
{
    const QPointer<QWidget> window = m_window;
    const QString appCaption = m_appCaption;
    onGuiThread([window, appCaption, text, caption, icon] {
        showMessage(window, text, caption, icon, appCaption);
        return true;
    });
}

bool GuiRunObserver::askContinue(const QString &text, const QString &caption)
{
    const QPointer<QWidget> window = m_window;
    return onGuiThread([window, text, caption] {
        return execBox(QMessageBox::Question, caption, text, QMessageBox::Ok | QMessageBox::Cancel, window)
            == QMessageBox::Ok;
    });
}

void GuiRunObserver::status(const QString &text)
{
    if (!m_shared->abandoned)
        emit statusChanged(text);
}

void GuiRunObserver::progress(int index, int total, const QString &fileName)
{
    if (!m_shared->abandoned)
        emit progressChanged(index, total, fileName);
}

bool GuiRunObserver::isCancelled()
{
    return m_shared->stop || m_shared->abandoned;
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
