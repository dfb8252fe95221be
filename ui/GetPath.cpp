#include "ui/GetPath.h"

#include "tools/FolderListing.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyle>

namespace {
const QString kParent = QStringLiteral("..");
}

GetPath::GetPath(const QString &title, const QString &pattern, const QString &startFolder,
                 QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(title);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setObjectName(QStringLiteral("GetPath"));
    for (const QString &p : pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        m_patterns.append(p.trimmed());

    auto *grid = new QGridLayout(this);

    m_path = new QLineEdit(this);
    m_path->setObjectName(QStringLiteral("txtPath"));
    m_path->setToolTip(tr("The chosen folder; type a path and press Enter to go there"));
    connect(m_path, &QLineEdit::returnPressed, this, [this] {
        if (!setFolder(m_path->text()))
            m_path->setText(QDir::toNativeSeparators(m_folder));
    });
    grid->addWidget(new QLabel(tr("Folder:"), this), 0, 0);
    grid->addWidget(m_path, 0, 1, 1, 2);

    // Drives only where the platform has more than one root.
    const QFileInfoList roots = QDir::drives();
    if (roots.size() > 1) {
        m_drives = new QComboBox(this);
        m_drives->setObjectName(QStringLiteral("cmbDrive"));
        for (const QFileInfo &root : roots)
            m_drives->addItem(QDir::toNativeSeparators(root.absoluteFilePath()), root.absoluteFilePath());
        connect(m_drives, &QComboBox::activated, this, [this](int index) {
            setFolder(m_drives->itemData(index).toString());
        });
        grid->addWidget(new QLabel(tr("Drive:"), this), 1, 0);
        grid->addWidget(m_drives, 1, 1, 1, 2);
    }

    m_folders = new QListWidget(this);
    m_folders->setObjectName(QStringLiteral("lstFolders"));
    m_folders->setToolTip(tr("Double-click a folder to open it"));
    connect(m_folders, &QListWidget::itemActivated, this, &GetPath::enterItem);
    m_fileList = new QListWidget(this);
    m_fileList->setObjectName(QStringLiteral("lstFiles"));
    m_fileList->setSelectionMode(QAbstractItemView::NoSelection);
    m_fileList->setToolTip(pattern);

    m_folders->setMinimumWidth(220);
    m_fileList->setMinimumWidth(220);
    auto *filesLabel = new QLabel(tr("Files"), this);
    filesLabel->setToolTip(pattern);
    auto *patternLabel = new QLabel(tr("Listed: %1").arg(QString(pattern).replace(QLatin1Char(';'), QLatin1String("; "))), this);
    patternLabel->setWordWrap(true);
    grid->addWidget(new QLabel(tr("Folders"), this), 2, 0, 1, 2);
    grid->addWidget(filesLabel, 2, 2);
    grid->addWidget(m_folders, 3, 0, 1, 2);
    grid->addWidget(m_fileList, 3, 2);
    grid->addWidget(patternLabel, 4, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(3, 1);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    grid->addWidget(buttons, 5, 0, 1, 3);

    resize(560, 380);
    if (!setFolder(startFolder) && !setFolder(QDir::currentPath()))
        setFolder(QDir::homePath());
}

bool GetPath::choose(QWidget *parent, const QString &title, const QString &pattern,
                     const QString &startFolder, QString &folder, QString &firstFile)
{
    GetPath dialog(title, pattern, startFolder, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    folder = dialog.folder();
    firstFile = dialog.firstFile();
    return true;
}

QString GetPath::firstFile() const
{
    return m_files.isEmpty() ? QString() : m_files.first();
}

bool GetPath::matches(const QString &fileName, const QStringList &patterns)
{
    for (const QString &p : patterns) {
        if (p == QLatin1String("*.*") || p == QLatin1String("*"))
            return true; // as on Windows: every file, with or without an extension
        const QRegularExpression re(QRegularExpression::wildcardToRegularExpression(p),
                                    QRegularExpression::CaseInsensitiveOption);
        if (re.match(fileName).hasMatch())
            return true;
    }
    return false;
}

bool GetPath::setFolder(const QString &folder)
{
    if (folder.isEmpty())
        return false;
    const QFileInfo info(folder);
    if (!info.isDir())
        return false;
    m_folder = QDir::cleanPath(info.absoluteFilePath());
    refresh();
    return true;
}

void GetPath::refresh()
{
    m_path->setText(QDir::toNativeSeparators(m_folder));
    if (m_drives) {
        for (int i = 0; i < m_drives->count(); ++i) {
            if (m_folder.startsWith(m_drives->itemData(i).toString(), Qt::CaseInsensitive))
                m_drives->setCurrentIndex(i);
        }
    }

    m_folders->clear();
    const QDir dir(m_folder);
    const QIcon folderIcon = style()->standardIcon(QStyle::SP_DirIcon);
    if (!dir.isRoot())
        m_folders->addItem(new QListWidgetItem(folderIcon, kParent));
    for (const QString &sub : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase))
        m_folders->addItem(new QListWidgetItem(folderIcon, sub));

    m_files.clear();
    m_fileList->clear();
    for (const QString &name : FolderListing::files(m_folder)) {
        if (matches(name, m_patterns))
            m_files.append(name);
    }
    m_fileList->addItems(m_files);
}

void GetPath::enterItem(QListWidgetItem *item)
{
    if (!item)
        return;
    QDir dir(m_folder);
    if (item->text() == kParent)
        dir.cdUp();
    else
        dir.cd(item->text());
    setFolder(dir.absolutePath());
}
