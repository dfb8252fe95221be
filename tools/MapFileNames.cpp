#include "tools/MapFileNames.h"

#include "tools/FolderListing.h"

#include <QCoreApplication>

bool MapFileNames::isMapFileName(const QString &fileName)
{
    const qsizetype dot = fileName.indexOf(QLatin1Char('.'));
    if (dot < 0)
        return false;
    return fileName.mid(dot + 1).toUpper() == QLatin1String("MAP");
}

QStringList MapFileNames::list(const QString &folder, QStringList *unreadable)
{
    QStringList out;
    const QStringList names = FolderListing::files(folder, unreadable);
    for (const QString &name : names) {
        if (isMapFileName(name))
            out.append(name);
    }
    if (unreadable) {
        // The extension of a shown name is as it is in the file's bytes.
        unreadable->removeIf([](const QString &name) { return !isMapFileName(name); });
    }
    return out;
}

QString MapFileNames::continueQuestion()
{
    return QCoreApplication::translate("MapFileNames", "There is error in data. Continue?");
}
