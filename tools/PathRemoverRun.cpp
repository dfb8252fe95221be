#include "tools/PathRemoverRun.h"

#include "mapfile/MapFile.h"
#include "sheet/Global.h"
#include "tools/MapFolderWalk.h"
#include "tools/RunObserver.h"

#include <QCoreApplication>


namespace {

// Strips the directory from the image path line (index 2) of one file and
// writes it back when that changes it. Returns the message for the user when
// the file is left as it was because of a fault, or an empty text.
QString stripPath(const QString &fileName, const QString &name, RunObserver &observer)
{
    MapFile map(&observer);
    map.FileName = fileName;
    map.KeepReadLines = true; // every other line comes back byte for byte
    map.ReadMap(fileName);
    if (!map.hasHeader())
        return QCoreApplication::translate("PathRemoverRun", "Map ") + fileName + QCoreApplication::translate("PathRemoverRun", " is not an OziExplorer map file");
    if (map.lineCount() < 3)
        return QCoreApplication::translate("PathRemoverRun", "Map ") + fileName + QCoreApplication::translate("PathRemoverRun", " has no image path line");
    const QString body = map.line(2).Body;
    const QString newBody = Global::getFileName(body);
    // Nothing to strip, or a path that names a folder only: leave the file
    // untouched (same bytes, same modification time).
    if (newBody == body || newBody.trimmed().isEmpty()) {
        observer.fileResult(name, RunObserver::FileOutcome::Unchanged, QString());
        return QString();
    }
    map.SetLine(2, QString(), newBody, -1, true);
    map.WriteMap(fileName, true);
    observer.fileResult(name, RunObserver::FileOutcome::Written, QString());
    return QString();
}

} // namespace

RunResult PathRemoverRun::run(const QString &folder, RunObserver &observer)
{
    MapFolderWalk::Options options;
    options.statusPrefix = QCoreApplication::translate("PathRemoverRun", "Remove image path from ");
    options.workReportsOutcome = true;
    return MapFolderWalk::run(folder, observer, options, [&observer](const QString &path, const QString &name) {
        return stripPath(path, name, observer);
    });
}
