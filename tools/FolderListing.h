#pragma once

#include <QString>
#include <QStringList>

// The files of one folder (not its sub-folders, not hidden files), by name in
// a stable order, so that every tool walks a folder the same way on every platform.
class FolderListing
{
public:
    static QStringList files(const QString &folder);
    // Joins a folder and a file name with the platform-neutral "/".
    static QString join(const QString &folder, const QString &fileName);
};
