#include "ui/ToolWindow.h"

#include "settings/WindowPlacement.h"
#include "ui/GuiRunObserver.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QThread>

ToolWindow::ToolWindow(const QString &placementName, QWidget *parent)
    : QDialog(parent), m_placementName(placementName)
{
    setSizeGripEnabled(true);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("progressBar"));
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    m_progress->setFormat(QStringLiteral("%v / %m"));
    m_progress->setTextVisible(false);
    m_progress->setVisible(false); // shown while a run goes on

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

ToolWindow::~ToolWindow()
{
    // The subclass is gone already: only the worker is stopped here.
    stopAndWait(false);
}

QString ToolWindow::applicationCaption()
{
    const QString name = QGuiApplication::applicationDisplayName();
    return name.isEmpty() ? QStringLiteral("Quillmark") : name;
}

bool ToolWindow::isRunning() const
{
    return m_thread != nullptr;
}

bool ToolWindow::startRun(const RunFunction &run)
{
    if (m_thread)
        return false;
    m_observer = new GuiRunObserver(this, applicationCaption());
    connect(m_observer, &GuiRunObserver::statusChanged, this, [this](const QString &text) {
        showStatus(text);
    });
    connect(m_observer, &GuiRunObserver::progressChanged, this,
            [this](int index, int total, const QString &) {
                m_progress->setTextVisible(total > 0);
                m_progress->setRange(0, qMax(total, 1));
                m_progress->setValue(qBound(0, index, qMax(total, 1)));
            });

    m_result = RunResult();
    GuiRunObserver *observer = m_observer;
    RunResult *result = &m_result;
    m_thread = QThread::create([run, observer, result] { *result = run(*observer); });
    connect(m_thread, &QThread::finished, this, &ToolWindow::onFinished);

    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    m_progress->setVisible(true);
    setControlsEnabled(false);
    m_stop->setEnabled(true);
    m_thread->start();
    return true;
}

void ToolWindow::onFinished()
{
    if (!m_thread)
        return;
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    delete m_observer;
    m_observer = nullptr;
    m_stop->setEnabled(false);
    m_progress->setVisible(false);
    setControlsEnabled(true);
    emit runFinished(m_result);
}

void ToolWindow::stopAndWait(bool enableControls)
{
    if (!m_thread)
        return;
    m_observer->abandon();
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    delete m_observer;
    m_observer = nullptr;
    m_stop->setEnabled(false);
    if (enableControls)
        setControlsEnabled(true);
}

void ToolWindow::RestoreFormPlacement()
{
    adjustSize(); // the designed size, kept when nothing is stored
    // Left and Top are the frame's corner (pos(), move()), Width and Height the inside (size(), resize()).
    WindowPlacement p;
    const QRect g(pos(), size());
    p.left = g.x();
    p.top = g.y();
    p.width = g.width();
    p.height = g.height();
    p.restore(m_placementName);

    // A place stored on a screen that is gone would put the window out of reach:
    // it keeps its own place then, but takes the stored size.
    const QRect wanted(p.left, p.top, p.width, p.height);
    bool onScreen = false;
    for (const QScreen *screen : QGuiApplication::screens()) {
        if (screen->availableGeometry().intersects(wanted))
            onScreen = true;
    }
    resize(p.width, p.height);
    if (onScreen && (p.left != g.x() || p.top != g.y())) {
        move(p.left, p.top);
        setAttribute(Qt::WA_Moved);
    }
    if (p.maximised)
        setWindowState(windowState() | Qt::WindowMaximized);
    else
        setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowMinimized));
}

void ToolWindow::SaveFormPlacement()
{
    if (m_placementSaved)
        return;
    m_placementSaved = true;
    WindowPlacement p;
    p.maximised = isMaximized();
    // The normal place of a maximised window, so that it comes back to it when un-maximised.
    QRect g(pos(), size());
    if (p.maximised) {
        const QPoint frameOffset = geometry().topLeft() - pos();
        g = QRect(normalGeometry().topLeft() - frameOffset, normalGeometry().size());
    }
    p.left = g.x();
    p.top = g.y();
    p.width = g.width();
    p.height = g.height();
    p.save(m_placementName);
}

void ToolWindow::closeEvent(QCloseEvent *event)
{
    stopAndWait();
    SaveFormPlacement();
    QDialog::closeEvent(event);
}

void ToolWindow::done(int r)
{
    // Esc and the Cancel button end a dialog through done(), not closeEvent().
    stopAndWait();
    SaveFormPlacement();
    QDialog::done(r);
}
