#include "fileio/FolderLinks.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString FolderLinks::writeProblem(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return QString();
    const QString resolved = info.canonicalFilePath();
    if (resolved.isEmpty()) // dangling, or a loop of links
        return QCoreApplication::translate("FolderLinks", "it is a link to %1, which does not exist")
            .arg(QDir::toNativeSeparators(info.symLinkTarget()));
    QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    if (!resolved.startsWith(folder))
        return QCoreApplication::translate("FolderLinks", "it is a link to %1, outside its folder")
            .arg(QDir::toNativeSeparators(resolved));
    return QString();
}
