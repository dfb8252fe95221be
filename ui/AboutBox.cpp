#include "ui/AboutBox.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QStyle>
#include <QSysInfo>
#include <QVBoxLayout>

AboutBox::AboutBox(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(tr("About Quillmark"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto *icon = new QLabel(this);
    icon->setPixmap(windowIcon().isNull() ? style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(48, 48)
                                          : windowIcon().pixmap(48, 48));
    icon->setAlignment(Qt::AlignTop);

    auto *text = new QLabel(this);
    text->setObjectName(QStringLiteral("lblAbout"));
    text->setTextFormat(Qt::RichText);
    text->setText(tr("<h3>Quillmark %1</h3>"
                     "<p>OziExplorer calibration files for scanned topographic map sheets,<br>"
                     "worked out from the sheet name in each image's file name.</p>"
                     "<p>Qt %2</p>")
                      .arg(QStringLiteral(QUILLMARK_VERSION), QString::fromLatin1(qVersion())));

    auto *top = new QHBoxLayout;
    top->addWidget(icon);
    top->addWidget(text, 1);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    auto *sysInfo = buttons->addButton(tr("System Info..."), QDialogButtonBox::ActionRole);
    sysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    sysInfo->setToolTip(tr("Information about this computer"));
    connect(sysInfo, &QPushButton::clicked, this, &AboutBox::showSystemInfo);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QString AboutBox::systemInfoViewer()
{
#ifdef Q_OS_WIN
    const QStringList candidates{QStringLiteral("msinfo32")};
#elif defined(Q_OS_MACOS)
    const QStringList candidates{QStringLiteral("/System/Applications/Utilities/System Information.app")};
#else
    const QStringList candidates{QStringLiteral("gnome-system-monitor"), QStringLiteral("hardinfo"),
                                 QStringLiteral("kinfocenter")};
#endif
    for (const QString &name : candidates) {
        const QString path = QStandardPaths::findExecutable(name);
        if (!path.isEmpty())
            return path;
    }
    return QString();
}

QString AboutBox::systemFacts()
{
    return tr("Operating system: %1\nKernel: %2 %3\nCPU architecture: %4\nHost name: %5\nQt: %6")
        .arg(QSysInfo::prettyProductName(), QSysInfo::kernelType(), QSysInfo::kernelVersion(),
             QSysInfo::currentCpuArchitecture(), QSysInfo::machineHostName(),
             QString::fromLatin1(qVersion()));
}

void AboutBox::showSystemInfo()
{
    const QString viewer = systemInfoViewer();
    if (!viewer.isEmpty() && QProcess::startDetached(viewer, {}))
        return;
    QMessageBox::information(this, tr("System Info"), systemFacts());
}
