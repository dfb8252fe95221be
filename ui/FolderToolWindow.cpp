#include "ui/FolderToolWindow.h"

#include "settings/RecentFolders.h"
#include "settings/Settings.h"
#include "ui/FolderDrop.h"
#include "ui/GetPath.h"
#include "ui/ResultsList.h"

#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

FolderToolWindow::FolderToolWindow(const Texts &texts, const FolderRun &run, QWidget *parent)
    : ToolWindow(texts.placementName, parent), m_texts(texts), m_run(run)
{
    setObjectName(texts.placementName);
    setWindowTitle(texts.caption);

    m_frame = new QGroupBox(tr("Map files path: "), this);
    m_frame->setObjectName(QStringLiteral("Frame2"));
    m_txtPathOut = new QLineEdit(m_frame);
    m_txtPathOut->setObjectName(QStringLiteral("txtPathOut"));
    m_txtPathOut->setMinimumWidth(320);
    m_browse = new QPushButton(tr("Browse"), m_frame);
    m_browse->setObjectName(QStringLiteral("cmdBrowseOut"));
    m_browse->setAutoDefault(false);
    auto *frameLayout = new QHBoxLayout(m_frame);
    frameLayout->addWidget(m_txtPathOut, 1);
    frameLayout->addWidget(m_browse);

    m_lblSay = new QLabel(this);
    m_lblSay->setObjectName(QStringLiteral("lblSay"));
    m_lblSay->setMinimumWidth(200);
    m_lblSay->setTextFormat(Qt::PlainText);

    m_start = new QPushButton(texts.startButton, this);
    m_start->setObjectName(QStringLiteral("Command1"));
    m_start->setToolTip(texts.startToolTip);
    m_start->setAutoDefault(false);
    m_cancel = new QPushButton(tr("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("Command2"));
    m_cancel->setAutoDefault(false);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(progressBar(), 1);
    buttons->addWidget(progressText());
    buttons->addStretch(0); // keeps the buttons on the right while the bar is hidden
    buttons->addWidget(m_start);
    buttons->addWidget(stopButton());
    buttons->addWidget(m_cancel);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_frame);
    layout->addWidget(m_lblSay);
    layout->addWidget(resultsList(), 1);
    layout->addLayout(buttons);

    connect(m_txtPathOut, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_folderPath = text;
    });
    connect(m_browse, &QPushButton::clicked, this, &FolderToolWindow::browse);
    connect(m_start, &QPushButton::clicked, this, &FolderToolWindow::startRun);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject); // Esc as well

    RestoreFormPlacement();
    const QString last = Settings::LastPath();
    m_txtPathOut->setText(last.isEmpty() ? QDir::toNativeSeparators(QDir::currentPath()) : last);
    new FolderDrop(this, m_txtPathOut); // a folder dropped onto the window is its folder
}

void FolderToolWindow::browse()
{
    QString folder, first;
    if (GetPath::choose(this, m_texts.chooserTitle, m_texts.pattern, m_txtPathOut->text(), folder, first)) {
        m_folderPath = QDir::toNativeSeparators(folder);
        Settings::setLastPath(m_folderPath);
    }
    m_txtPathOut->setText(m_folderPath);
}

void FolderToolWindow::startRun()
{
    if (isRunning())
        return;
    Settings::WriteSetting(QStringLiteral("Path"), m_txtPathOut->text());
    RecentFolders::add(m_txtPathOut->text());
    const QString folder = QDir::fromNativeSeparators(m_folderPath);
    const FolderRun run = m_run;
    ToolWindow::startRun([run, folder](RunObserver &observer) { return run(folder, observer); });
}

void FolderToolWindow::setControlsEnabled(bool enabled)
{
    m_frame->setEnabled(enabled);
    m_start->setEnabled(enabled);
}

void FolderToolWindow::showStatus(const QString &text)
{
    m_lblSay->setText(text);
}
