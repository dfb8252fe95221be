#pragma once

#include "tools/RunObserver.h"

#include <QList>
#include <QString>
#include <QStringList>

// A run observer for tests: records every message, status text and question,
// and answers the questions from a list (OK when the list runs out).
class RecordingObserver : public RunObserver
{
public:
    struct Message
    {
        QString text;
        QString caption;
        Icon icon;
    };

    QList<Message> messages;
    QStringList statuses;
    QStringList questions;
    QList<bool> answers;      // answers to askContinue, in order; OK when exhausted
    int cancelAfterFiles = -1; // isCancelled() turns true after this many progress calls
    int progressCalls = 0;

    void message(const QString &text, const QString &caption, Icon icon) override
    {
        messages.append({text, caption, icon});
    }
    void status(const QString &text) override { statuses.append(text); }
    void progress(int, int, const QString &) override { ++progressCalls; }
    bool askContinue(const QString &text, const QString &) override
    {
        questions.append(text);
        return answers.isEmpty() ? true : answers.takeFirst();
    }
    bool isCancelled() override { return cancelAfterFiles >= 0 && progressCalls >= cancelAfterFiles; }

    QStringList texts() const
    {
        QStringList out;
        for (const Message &m : messages)
            out.append(m.text);
        return out;
    }
};
