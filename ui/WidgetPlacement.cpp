#include "ui/WidgetPlacement.h"

#include "settings/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

void WidgetPlacement::restore(QWidget *window, const QString &name)
{
    WindowPlacement p;
    const QRect g(window->pos(), window->size());
    p.left = g.x();
    p.top = g.y();
    p.width = g.width();
    p.height = g.height();
    p.restore(name);

    const QRect wanted(p.left, p.top, p.width, p.height);
    bool onScreen = false;
    for (const QScreen *screen : QGuiApplication::screens()) {
        if (screen->availableGeometry().intersects(wanted))
            onScreen = true;
    }
    window->resize(p.width, p.height);
    if (onScreen && (p.left != g.x() || p.top != g.y())) {
        window->move(p.left, p.top);
        window->setAttribute(Qt::WA_Moved);
    }
    if (p.maximised)
        window->setWindowState(window->windowState() | Qt::WindowMaximized);
    else
        window->setWindowState(window->windowState() & ~(Qt::WindowMaximized | Qt::WindowMinimized));
}

void WidgetPlacement::save(const QWidget *window, const QString &name)
{
    WindowPlacement p;
    p.maximised = window->isMaximized();
    QRect g(window->pos(), window->size());
    if (p.maximised) {
        const QPoint frameOffset = window->geometry().topLeft() - window->pos();
        g = QRect(window->normalGeometry().topLeft() - frameOffset, window->normalGeometry().size());
    }
    p.left = g.x();
    p.top = g.y();
    p.width = g.width();
    p.height = g.height();
    p.save(name);
}
