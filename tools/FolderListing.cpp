#include "tools/FolderListing.h"

#include <QDirIterator>

#include <algorithm>

QStringList FolderListing::files(const QString &folder)
{
    // The names only, sorted by code point (case-sensitive): the same order on
    // every platform and locale, unlike the order the file system happens to
    // give. QDir::entryList would build a QFileInfo per file and hold them all
    // while it sorts, several times the memory of the names on a large folder.
    QStringList names;
    QDirIterator it(folder, QDir::Files | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        names.append(it.fileName());
    }
    std::sort(names.begin(), names.end());
    return names;
}

QString FolderListing::join(const QString &folder, const QString &fileName)
{
    if (folder.isEmpty())
        return fileName;
    if (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\')))
        return folder + fileName;
    return folder + QLatin1Char('/') + fileName;
}
