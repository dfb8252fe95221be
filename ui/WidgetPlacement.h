#pragma once

#include <QString>

class QWidget;

// A window's place and size kept in the settings file under its name
// (settings/WindowPlacement): Left and Top are the frame's corner (pos(),
// move()), Width and Height the inside (size(), resize()).
class WidgetPlacement
{
public:
    // Puts `window` where it was stored; the window's present place and size
    // are kept for whatever is not stored. A place on a screen that is gone
    // would put the window out of reach: it keeps its own place then, but
    // takes the stored size.
    static void restore(QWidget *window, const QString &name);
    // Stores the window's place; a maximised window's normal place, so that
    // it comes back to it when un-maximised.
    static void save(const QWidget *window, const QString &name);
};
