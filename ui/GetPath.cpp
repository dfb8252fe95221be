#include "ui/GetPath.h"

#include "settings/RecentFolders.h"
#include "tools/FolderListing.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
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
    m_path->setToolTip(tr("The chosen folder; the lists follow a typed or pasted path, and OK takes it"));
    connect(m_path, &QLineEdit::textEdited, this, &GetPath::followTyped);
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

    // The last folders used by the tools' runs.
    m_recent = new QComboBox(this);
    m_recent->setObjectName(QStringLiteral("cmbRecent"));
    m_recent->setToolTip(tr("The last folders used, to pick again"));
    connect(m_recent, &QComboBox::activated, this, [this](int index) {
        setFolder(m_recent->itemData(index).toString());
    });
    grid->addWidget(new QLabel(tr("Recent:"), this), 2, 0);
    grid->addWidget(m_recent, 2, 1, 1, 2);

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
    grid->addWidget(new QLabel(tr("Folders"), this), 3, 0, 1, 2);
    grid->addWidget(filesLabel, 3, 2);
    grid->addWidget(m_folders, 4, 0, 1, 2);
    grid->addWidget(m_fileList, 4, 2);
    grid->addWidget(patternLabel, 5, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(4, 1);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton *newFolderButton = buttons->addButton(tr("New folder"), QDialogButtonBox::ActionRole);
    newFolderButton->setObjectName(QStringLiteral("cmdNewFolder"));
    newFolderButton->setToolTip(tr("Make a folder inside the current one and go there"));
    newFolderButton->setAutoDefault(false);
    connect(newFolderButton, &QPushButton::clicked, this, &GetPath::newFolder);
    connect(buttons, &QDialogButtonBox::accepted, this, &GetPath::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    grid->addWidget(buttons, 6, 0, 1, 3);

    fillRecent();
    resize(560, 420);
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
    return go(folder, true);
}

bool GetPath::go(const QString &folder, bool showPath)
{
    if (folder.isEmpty())
        return false;
    const QFileInfo info(folder);
    if (!info.isDir())
        return false;
    m_folder = QDir::cleanPath(info.absoluteFilePath());
    refresh(showPath);
    return true;
}

QString GetPath::typedFolder() const
{
    const QString typed = QDir::fromNativeSeparators(m_path->text().trimmed());
    if (typed.isEmpty())
        return QString();
    return QDir::cleanPath(QDir(m_typingBase).absoluteFilePath(typed));
}

void GetPath::followTyped(const QString &)
{
    const QString typed = typedFolder();
    if (typed.isEmpty() || RecentFolders::samePath(typed, m_folder))
        return;
    if (QFileInfo(typed).isDir())
        go(typed, false);
}

void GetPath::accept()
{
    // An empty box takes the folder the lists show.
    const QString typed = typedFolder();
    if (!typed.isEmpty() && !RecentFolders::samePath(typed, m_folder) && !go(typed, false)) {
        const QString shown = QDir::toNativeSeparators(typed);
        QMessageBox::warning(this, windowTitle(),
                             QFileInfo::exists(typed) ? tr("%1 is not a folder.").arg(shown)
                                                      : tr("The folder %1 does not exist.").arg(shown));
        m_path->setFocus();
        return;
    }
    QDialog::accept();
}

void GetPath::newFolder()
{
    bool ok = false;
    const QString name = QInputDialog::getText(this, tr("New folder"),
                                               tr("Name of the new folder in %1:")
                                                   .arg(QDir::toNativeSeparators(m_folder)),
                                               QLineEdit::Normal, QString(), &ok)
                             .trimmed();
    if (!ok || name.isEmpty())
        return;
    if (name == QLatin1String(".") || name == QLatin1String("..") || name.contains(QLatin1Char('/'))
        || name.contains(QLatin1Char('\\'))) {
        QMessageBox::warning(this, tr("New folder"), tr("\"%1\" cannot be the name of a folder.").arg(name));
        return;
    }
    QDir dir(m_folder);
    if (QFileInfo::exists(dir.filePath(name))) {
        QMessageBox::warning(this, tr("New folder"),
                             tr("%1 is there already.").arg(QDir::toNativeSeparators(dir.filePath(name))));
        return;
    }
    if (!dir.mkdir(name)) {
        QMessageBox::warning(this, tr("New folder"),
                             tr("The folder %1 could not be made.").arg(QDir::toNativeSeparators(dir.filePath(name))));
        return;
    }
    setFolder(dir.filePath(name));
}

void GetPath::fillRecent()
{
    m_recent->clear();
    for (const QString &folder : RecentFolders::list()) {
        if (QFileInfo(QDir::fromNativeSeparators(folder)).isDir())
            m_recent->addItem(folder, QDir::fromNativeSeparators(folder));
    }
    m_recent->setPlaceholderText(m_recent->count() ? tr("Pick a folder used before") : tr("None yet"));
    m_recent->setCurrentIndex(-1);
    m_recent->setEnabled(m_recent->count() > 0);
}

void GetPath::refresh(bool showPath)
{
    if (showPath) {
        m_path->setText(QDir::toNativeSeparators(m_folder));
        m_typingBase = m_folder;
    }
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
