#pragma once

#include <QLineEdit> // complete for the signal's argument
#include <QList>
#include <QObject>
#include <QPointer>

class QMimeData;
class QWidget;

// Takes a folder dragged from the file manager onto a window. Installed on the
// window and on those of its children that take drops themselves (the text
// boxes), so a folder dropped onto a margin box does not end up as its text.
// A folder dropped onto one of the folder boxes goes into that box; anywhere
// else it goes into the first box, as if typed there. Nothing is taken while
// the box is disabled (during a run). Only folders are taken: files and text
// are refused where the window itself has no use for them.
class FolderDrop : public QObject
{
    Q_OBJECT
public:
    // `box` may be null: then the window only hears folderDropped.
    FolderDrop(QWidget *window, QLineEdit *box = nullptr);

    // A further folder box of the window (the map creator's output folder).
    void addBox(QLineEdit *box);

    // The folder a drag carries: its first URL when that is a local folder; "" otherwise.
    static QString folderOf(const QMimeData *mime);

signals:
    // After the folder (in native separators) has been put into its box.
    void folderDropped(const QString &folder, QLineEdit *box);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The box a drop onto `watched` goes to; null when none can take it now.
    QLineEdit *boxFor(QObject *watched) const;
    // Whether the window is open to a folder drop (no disabled box in the way).
    bool takes(QObject *watched) const;

    QWidget *m_window = nullptr;
    QList<QPointer<QLineEdit>> m_boxes;
};
