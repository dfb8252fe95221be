#include "ui/FolderDrop.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

FolderDrop::FolderDrop(QWidget *window, QLineEdit *box)
    : QObject(window), m_window(window)
{
    if (box)
        m_boxes.append(box);
    window->setAcceptDrops(true);
    window->installEventFilter(this);
    // The children that take drops of their own would see the folder as text.
    for (QWidget *child : window->findChildren<QWidget *>()) {
        if (child->acceptDrops())
            child->installEventFilter(this);
    }
}

void FolderDrop::addBox(QLineEdit *box)
{
    if (!box)
        return;
    m_boxes.append(box);
    box->setAcceptDrops(true);
    box->installEventFilter(this);
}

QString FolderDrop::folderOf(const QMimeData *mime)
{
    if (!mime || !mime->hasUrls())
        return QString();
    const QList<QUrl> urls = mime->urls();
    if (urls.isEmpty() || !urls.first().isLocalFile())
        return QString();
    const QFileInfo info(urls.first().toLocalFile());
    if (!info.isDir())
        return QString();
    return QDir::toNativeSeparators(QDir::cleanPath(info.absoluteFilePath()));
}

QLineEdit *FolderDrop::boxFor(QObject *watched) const
{
    for (const QPointer<QLineEdit> &box : m_boxes) {
        if (box && box == watched)
            return box;
    }
    return m_boxes.isEmpty() ? nullptr : m_boxes.first().data();
}

bool FolderDrop::takes(QObject *watched) const
{
    if (!m_window->isEnabled())
        return false;
    QLineEdit *box = boxFor(watched);
    if (!m_boxes.isEmpty() && (!box || !box->isEnabled()))
        return false;
    return true;
}

bool FolderDrop::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *drag = static_cast<QDragMoveEvent *>(event);
        if (folderOf(drag->mimeData()).isEmpty())
            return false; // not a folder: the child does what it does with it
        if (takes(watched))
            drag->acceptProposedAction();
        else
            drag->ignore();
        return true;
    }
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        const QString folder = folderOf(drop->mimeData());
        if (folder.isEmpty())
            return false;
        if (!takes(watched)) {
            drop->ignore();
            return true;
        }
        QLineEdit *box = boxFor(watched);
        if (box) {
            box->setText(folder);
            emit folderDropped(folder, box);
        } else {
            emit folderDropped(folder, nullptr);
        }
        drop->acceptProposedAction();
        return true;
    }
    default:
        return false;
    }
}
