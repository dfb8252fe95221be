#pragma once

#include <QDialog>
#include <QStringList>

class QComboBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;

// The folder chooser: the user walks the folders (a drive selector where the
// platform has drives, the sub-folders of the current folder, the last folders
// used) while the files of the current folder that match the pattern, without
// regard to case, are listed. A path typed into the "Folder:" box is followed
// by the lists as soon as it names a folder, and OK takes it (a folder that
// does not exist is refused with a message). "New folder" makes a folder in
// the current one and enters it. OK gives the folder and the first listed
// file; Cancel reports cancel.
class GetPath : public QDialog
{
    Q_OBJECT
public:
    // `pattern` is "*.jpg;*.bmp;..." (split at ";"); "*.*" lists every file.
    GetPath(const QString &title, const QString &pattern, const QString &startFolder,
            QWidget *parent = nullptr);

    // Runs the chooser modally; true with `folder` and `firstFile` set unless cancelled.
    static bool choose(QWidget *parent, const QString &title, const QString &pattern,
                       const QString &startFolder, QString &folder, QString &firstFile);

    QString folder() const { return m_folder; }
    QString firstFile() const;
    QStringList listedFiles() const { return m_files; }

    // Goes to `folder` (an existing one; otherwise nothing changes). True when it went.
    bool setFolder(const QString &folder);

    // Whether `fileName` matches one of the patterns, without regard to case.
    static bool matches(const QString &fileName, const QStringList &patterns);

    // The folder the typed text names: a relative path is taken inside the
    // folder that was shown when the typing began.
    QString typedFolder() const;

public slots:
    // OK: takes the typed folder when it exists; otherwise says so and stays open.
    void accept() override;
    // "New folder": asks a name, makes the folder inside the current one, enters it.
    void newFolder();

private:
    // Goes to an existing folder; `showPath` puts it into the "Folder:" box as well.
    bool go(const QString &folder, bool showPath);
    void refresh(bool showPath);
    void enterItem(QListWidgetItem *item);
    void followTyped(const QString &text);
    void fillRecent();

    QStringList m_patterns;
    QString m_folder;
    QStringList m_files;
    QString m_typingBase; // the folder shown when the "Folder:" box was last set by the chooser
    QComboBox *m_drives = nullptr;
    QComboBox *m_recent = nullptr;
    QLineEdit *m_path = nullptr;
    QListWidget *m_folders = nullptr;
    QListWidget *m_fileList = nullptr;
};
