#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The files of one folder (not its sub-folders, not hidden files), by name in
// a stable order, so that every tool walks a folder the same way on every platform.
class FolderListing
{
public:
    // `unreadable`, when given, receives the names of the files that cannot be
    // listed because their bytes are not valid in the file system's encoding
    // (Windows-1251 names unpacked from an archive onto a UTF-8 system): such a
    // name cannot be turned into one that opens the file. They come shown by
    // shownName(), in the same order, and are not among the names returned.
    static QStringList files(const QString &folder, QStringList *unreadable = nullptr);
    // Joins a folder and a file name with the platform-neutral "/".
    static QString join(const QString &folder, const QString &fileName);

    // A raw file name as best it can be shown: printable ASCII as it is, every
    // other byte (the backslash too) as \xHH ("N-37-\xCF\xE0.map").
    static QString shownName(const QByteArray &rawName);
    // The message for a file whose name cannot be read, given by shownName():
    // its bytes read as Windows-1251 as well, and the folder.
    static QString unreadableNameMessage(const QString &folder, const QString &shownName);
};
