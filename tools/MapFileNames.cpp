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

QStringList MapFileNames::list(const QString &folder)
{
    QStringList out;
    const QStringList names = FolderListing::files(folder);
    for (const QString &name : names) {
        if (isMapFileName(name))
            out.append(name);
    }
    return out;
}

QString MapFileNames::continueQuestion()
{
    return QCoreApplication::translate("MapFileNames", "There is error in data. Continue?");
}
