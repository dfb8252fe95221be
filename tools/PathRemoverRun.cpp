#include "tools/PathRemoverRun.h"

#include "mapfile/MapError.h"
#include "mapfile/MapFile.h"
#include "sheet/Global.h"
#include "tools/FolderListing.h"
#include "tools/MapFileNames.h"
#include "tools/RunObserver.h"

#include <QFileInfo>

#include <exception>

namespace {

const QString kError = QStringLiteral("Error");

// Strips the directory from the image path line (index 2) of one file and
// writes it back when that changes it. Returns the message for the user when
// the file is left as it was because of a fault, or an empty text.
QString stripPath(const QString &fileName, RunObserver &observer)
{
    MapFile map(&observer);
    map.FileName = fileName;
    map.KeepReadLines = true; // every other line comes back byte for byte
    try {
        map.ReadMap(fileName);
        if (!map.hasHeader())
            return QStringLiteral("Map ") + fileName + QStringLiteral(" is not an OziExplorer map file");
        if (map.lineCount() < 3)
            return QStringLiteral("Map ") + fileName + QStringLiteral(" has no image path line");
        const QString body = map.line(2).Body;
        const QString newBody = Global::getFileName(body);
        // Nothing to strip, or a path that names a folder only: leave the file
        // untouched (same bytes, same modification time).
        if (newBody == body || newBody.trimmed().isEmpty())
            return QString();
        map.SetLine(2, QString(), newBody, -1, true);
        map.WriteMap(fileName, true);
    } catch (const MapError &e) {
        return e.text();
    } catch (const std::exception &e) {
        return QStringLiteral("Map ") + fileName + QStringLiteral(": ") + QString::fromLocal8Bit(e.what());
    }
    return QString();
}

} // namespace

RunResult PathRemoverRun::run(const QString &folder, RunObserver &observer)
{
    RunResult result;
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        observer.message(QStringLiteral("Folder ") + folder + QStringLiteral(" is not exist"), kError,
                         MessageObserver::Icon::Critical);
        result.folderMissing = true;
        return result;
    }

    const QStringList names = MapFileNames::list(folder);
    for (int i = 0; i < names.size(); ++i) {
        if (observer.isCancelled()) {
            result.cancelled = true;
            break;
        }
        const QString &name = names.at(i);
        observer.progress(i + 1, int(names.size()), name);
        const QString error = stripPath(FolderListing::join(folder, name), observer);
        if (!error.isEmpty()) {
            observer.message(error, kError, MessageObserver::Icon::Critical);
            ++result.failed;
            if (!observer.askContinue(MapFileNames::continueQuestion(), kError)) {
                result.cancelled = true;
                break;
            }
            continue;
        }
        ++result.count;
        observer.status(QStringLiteral("Remove image path from ") + name);
    }

    observer.status(QString());
    observer.message(QStringLiteral("Done ") + QString::number(result.count) + QStringLiteral(" map-files"),
                     QString(), MessageObserver::Icon::None);
    return result;
}
