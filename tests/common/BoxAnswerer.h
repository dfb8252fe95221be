#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QList>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QtTest>

#include <functional>

struct Box
{
    QString caption;
    QString text;
    QMessageBox::Icon icon;
};

// Answers every message box that comes up, from a timer, as a user would:
// OK unless `answers` says otherwise for the next box with a Cancel button.
class BoxAnswerer : public QObject
{
public:
    QList<Box> boxes;
    QList<QMessageBox::StandardButton> answers; // for boxes that offer Cancel
    std::function<bool(QMessageBox *)> onBox;   // true: the test dealt with the box itself

    BoxAnswerer()
    {
        connect(&m_timer, &QTimer::timeout, this, &BoxAnswerer::poll);
        m_timer.start(10);
    }

    QStringList texts() const
    {
        QStringList out;
        for (const Box &b : boxes)
            out.append(b.text);
        return out;
    }

private:
    void poll()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || box == m_last)
            return;
        m_last = box;
        boxes.append({box->windowTitle(), box->text(), box->icon()});
        if (onBox && onBox(box))
            return;
        QMessageBox::StandardButton answer = QMessageBox::Ok;
        if (box->button(QMessageBox::Cancel) && !answers.isEmpty())
            answer = answers.takeFirst();
        QAbstractButton *button = box->button(answer);
        QVERIFY(button);
        button->click();
    }

    QTimer m_timer;
    QPointer<QMessageBox> m_last;
};
