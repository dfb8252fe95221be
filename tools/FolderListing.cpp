#include "tools/FolderListing.h"

#include <QDir>

QStringList FolderListing::files(const QString &folder)
{
    QDir dir(folder);
    // Plain name order (by code point, case-sensitive): the same on every
    // platform and locale, unlike the order the file system happens to give.
    return dir.entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
}

QString FolderListing::join(const QString &folder, const QString &fileName)
{
    if (folder.isEmpty())
        return fileName;
    if (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\')))
        return folder + fileName;
    return folder + QLatin1Char('/') + fileName;
}
