#include "tools/MapFolderWalk.h"

#include "sheet/MapError.h"
#include "tools/FolderListing.h"
#include "tools/MapFileNames.h"
#include "tools/RunObserver.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <algorithm>
#include <exception>
#include <numeric>
#include <vector>

bool MapFolderWalk::requireFolder(const QString &folder, RunObserver &observer, RunResult &result)
{
    if (!folder.isEmpty() && QFileInfo(folder).isDir())
        return true;
    observer.message(QCoreApplication::translate("MapFolderWalk", "Folder ") + folder + QCoreApplication::translate("MapFolderWalk", " is not exist"), errorCaption(),
                     MessageObserver::Icon::Critical);
    result.folderMissing = true;
    return false;
}

void MapFolderWalk::walk(const QString &folder, RunObserver &observer, const Options &options,
                         const FileWork &work, RunResult &result)
{
    QStringList unreadable;
    QStringList names = MapFileNames::list(folder, &unreadable);
    // A map file whose name cannot be read fails in its place in the order.
    const qsizetype readable = names.size();
    names.append(unreadable);
    std::vector<qsizetype> order(size_t(names.size()));
    std::iota(order.begin(), order.end(), qsizetype(0));
    std::stable_sort(order.begin(), order.end(), [&names](qsizetype a, qsizetype b) { return names.at(a) < names.at(b); });
    for (int i = 0; i < names.size(); ++i) {
        if (observer.isCancelled()) {
            result.cancelled = true;
            break;
        }
        const bool nameUnreadable = order[size_t(i)] >= readable;
        const QString &name = names.at(order[size_t(i)]);
        observer.progress(i + 1, int(names.size()), name);
        const QString path = FolderListing::join(folder, name);
        QString error;
        if (nameUnreadable) {
            error = FolderListing::unreadableNameMessage(folder, name);
        } else {
            try {
                error = work(path, name);
            } catch (const MapError &e) {
                error = e.text();
            } catch (const std::exception &e) {
                error = QCoreApplication::translate("MapFolderWalk", "Map ") + path + QStringLiteral(": ")
                    + QString::fromLocal8Bit(e.what());
            }
        }
        if (!error.isEmpty()) {
            observer.fileResult(name, RunObserver::FileOutcome::Failed, error);
            observer.message(error, errorCaption(), MessageObserver::Icon::Critical);
            ++result.failed;
            if (!observer.askContinue(MapFileNames::continueQuestion(), errorCaption())) {
                result.cancelled = true;
                break;
            }
            if (!options.countFailed || nameUnreadable)
                continue;
        } else if (!options.workReportsOutcome) {
            observer.fileResult(name, RunObserver::FileOutcome::Unchanged, QString());
        }
        ++result.count;
        observer.status(options.statusPrefix + name);
    }
    observer.status(QString());
}

RunResult MapFolderWalk::run(const QString &folder, RunObserver &observer, const Options &options,
                             const FileWork &work)
{
    RunResult result;
    if (!requireFolder(folder, observer, result))
        return result;
    walk(folder, observer, options, work, result);
    sayDone(observer, result.count);
    return result;
}

void MapFolderWalk::sayDone(RunObserver &observer, int count)
{
    observer.message(QCoreApplication::translate("MapFolderWalk", "Done %1 map-files").arg(count), QString(),
                     MessageObserver::Icon::None);
}

QString MapFolderWalk::errorCaption()
{
    return QCoreApplication::translate("MapFolderWalk", "Error");
}
