#include "tools/MapListRun.h"

#include "fileio/FolderLinks.h"
#include "mapfile/MapFile.h"
#include "tools/FolderListing.h"
#include "tools/MapFolderWalk.h"
#include "tools/RunObserver.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSaveFile>


#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

const QString kListName = QStringLiteral("_MapList.csv");
const char kHeader[] = "Edit;List name;Meter/pixel;Map file;Image name;Main object;Publication date";

// Encodes text in the list's encoding; false when a character has no byte there.
bool encodeField(const QString &text, MapTextEncoding::Kind encoding, QByteArray &out)
{
    out.clear();
    return MapTextEncoding::encode(text, encoding, out) < 0;
}

// A field the way spreadsheet programs read it back: quoted, with doubled
// quotes, when it holds the separator, a quote or a line break.
QByteArray csvField(const QByteArray &field)
{
    if (!field.contains(';') && !field.contains('"') && !field.contains('\r') && !field.contains('\n'))
        return field;
    QByteArray quoted = field;
    quoted.replace("\"", "\"\"");
    return '"' + quoted + '"';
}

struct Record
{
    QByteArray line; // the encoded record without its line end
};

// The MM1B value as the file writes it: the body of its (last) MM1B line.
QString meterPerPixelText(const MapFile &map)
{
    QString text;
    for (int i = 7; i < map.lineCount(); ++i) {
        const MapLine &line = map.line(i);
        if (line.Title.toUpper() == QLatin1String("MM1B"))
            text = line.Body.trimmed();
    }
    return text;
}

// Reads one map file into a record; returns the message for the user when it
// cannot be listed, or an empty text.
QString readRecord(const QString &fileName, const QString &name, RunObserver &observer, MapTextEncoding::Kind encoding,
                   Record &record)
{
    MapFile map(&observer);
    map.FileName = fileName;
    map.KeepReadLines = true;
    map.ReadMap(fileName);
    if (!map.hasHeader())
        return QCoreApplication::translate("MapListRun", "Map ") + fileName + QCoreApplication::translate("MapListRun", " is not an OziExplorer map file");

    struct Field
    {
        const char *title;
        QString value;
    };
    const Field fields[] = {
        {"Edit", QString()},
        {"List name", map.MapName},
        {"Meter/pixel", meterPerPixelText(map)},
        {"Map file", name},
        {"Image name", map.ImageName},
        {"Main object", QString()},
        {"Publication date", QString()},
    };
    QByteArray line;
    bool first = true;
    for (const Field &field : fields) {
        QByteArray bytes;
        if (!encodeField(field.value, encoding, bytes)) {
            return QCoreApplication::translate("MapListRun", "Map ") + fileName + QCoreApplication::translate("MapListRun", " is not listed: its ")
                + QLatin1String(field.title) + QStringLiteral(" \"") + field.value
                + QCoreApplication::translate("MapListRun", "\" holds characters that Windows-1251 cannot hold");
        }
        if (!first)
            line += ';';
        line += csvField(bytes);
        first = false;
    }
    record.line = line;
    return QString();
}

// Writes the list atomically; returns the message for the user on failure.
QString writeList(const QString &listName, const QList<Record> &records)
{
    QByteArray bytes(kHeader);
    bytes += "\r\n";
    for (const Record &record : records) {
        bytes += record.line;
        bytes += "\r\n";
    }
    if (const QString problem = FolderLinks::writeProblem(listName); !problem.isEmpty())
        return QCoreApplication::translate("MapListRun", "Cannot write ") + listName + QStringLiteral(": ") + problem;
    // The rename of the save would replace a read-only list (and, for root,
    // make it writable): it is refused like a read-only map file.
    const QFileInfo info(listName);
    if (info.exists() && !info.isDir()) {
        const QFileDevice::Permissions perms = info.permissions();
        const bool anyWrite = perms & (QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther);
        if (!anyWrite || !info.isWritable())
            return QCoreApplication::translate("MapListRun", "Cannot write ") + listName + QCoreApplication::translate("MapListRun", ": the file is read-only");
    }
    QSaveFile file(listName);
    if (!file.open(QIODevice::WriteOnly))
        return QCoreApplication::translate("MapListRun", "Cannot write ") + listName + QStringLiteral(": ") + file.errorString();
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return QCoreApplication::translate("MapListRun", "Cannot write ") + listName + QStringLiteral(": ") + reason;
    }
#ifndef _WIN32
    ::fsync(file.handle());
#endif
    if (!file.commit())
        return QCoreApplication::translate("MapListRun", "Cannot write ") + listName + QStringLiteral(": ") + file.errorString();
    return QString();
}

} // namespace

RunResult MapListRun::run(const QString &folder, RunObserver &observer)
{
    return runWithEncoding(folder, observer, MapTextEncoding::Windows1251);
}

RunResult MapListRun::runWithEncoding(const QString &folder, RunObserver &observer, MapTextEncoding::Kind encoding)
{
    RunResult result;
    if (!MapFolderWalk::requireFolder(folder, observer, result))
        return result;

    QList<Record> records;
    MapFolderWalk::Options options;
    options.statusPrefix = QCoreApplication::translate("MapListRun", "Add to list ");
    MapFolderWalk::walk(
        folder, observer, options,
        [&observer, &records, encoding](const QString &path, const QString &name) {
            Record record;
            const QString error = readRecord(path, name, observer, encoding, record);
            if (error.isEmpty())
                records.append(record);
            return error;
        },
        result);

    // A cancelled run leaves an existing list as it was: a half list would
    // silently replace a whole one.
    if (result.cancelled)
        return result;

    const QString listName = FolderListing::join(folder, kListName);
    const QString error = writeList(listName, records);
    if (!error.isEmpty()) {
        observer.message(error, MapFolderWalk::errorCaption(), MessageObserver::Icon::Critical);
        ++result.failed;
        return result;
    }
    result.count = int(records.size());
    MapFolderWalk::sayDone(observer, result.count);
    return result;
}
