#pragma once

#include <QDialog>
#include <QStringList>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;

// The folder chooser: the user walks the folders (a drive selector where the
// platform has drives, the sub-folders of the current folder) while the files
// of the current folder that match the pattern, without regard to case, are
// listed. OK gives the folder and the first listed file; Cancel reports cancel.
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

private:
    void refresh();
    void enterItem(QListWidgetItem *item);

    QStringList m_patterns;
    QString m_folder;
    QStringList m_files;
    QComboBox *m_drives = nullptr;
    QLineEdit *m_path = nullptr;
    QListWidget *m_folders = nullptr;
    QListWidget *m_fileList = nullptr;
};
