#pragma once

#include <QString>

// What the core says to the user goes through this interface; the desktop
// program shows message boxes, the command line prints lines. The core never
// shows anything itself.
class MessageObserver
{
public:
    enum class Icon { None, Information, Warning, Critical };

    virtual ~MessageObserver() = default;

    // One message with its caption ("Error", "Warning", or empty for the
    // application's own caption) and icon kind. Returns when the user has seen it.
    virtual void message(const QString &text, const QString &caption, Icon icon) = 0;
};
