#include "tools/MapListRun.h"

#include "mapfile/MapError.h"
#include "mapfile/MapFile.h"
#include "tools/FolderListing.h"
#include "tools/MapFileNames.h"
#include "tools/RunObserver.h"

#include <QFileInfo>
#include <QSaveFile>

#include <exception>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

const QString kError = QStringLiteral("Error");
const QString kListName = QStringLiteral("_MapList.csv");
const char kHeader[] = "Edit;List name;Meter/pixel;Map file;Image name;Main object;Publication date";

// Windows-1251 bytes 0x80..0xBF (0 = no character); 0xC0..0xFF are U+0410..U+044F.
const char16_t kHighHalf[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0000, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

// Encodes text in Windows-1251; false when a character has no byte there.
// Byte 0x98, undefined in the code page, is read as U+0098 and goes back as itself.
bool toWindows1251(const QString &text, QByteArray &out)
{
    out.clear();
    out.reserve(text.size());
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u < 0x80 || u == 0x98) {
            out.append(char(u));
        } else if (u >= 0x0410 && u <= 0x044F) {
            out.append(char(0xC0 + (u - 0x0410)));
        } else {
            int found = -1;
            for (int i = 0; i < 64; ++i) {
                if (kHighHalf[i] != 0 && kHighHalf[i] == u) {
                    found = i;
                    break;
                }
            }
            if (found < 0)
                return false;
            out.append(char(0x80 + found));
        }
    }
    return true;
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
QString readRecord(const QString &folder, const QString &name, RunObserver &observer, Record &record)
{
    const QString fileName = FolderListing::join(folder, name);
    MapFile map(&observer);
    map.FileName = fileName;
    map.KeepReadLines = true;
    try {
        map.ReadMap(fileName);
    } catch (const MapError &e) {
        return e.text();
    } catch (const std::exception &e) {
        return QStringLiteral("Map ") + fileName + QStringLiteral(": ") + QString::fromLocal8Bit(e.what());
    }
    if (!map.hasHeader())
        return QStringLiteral("Map ") + fileName + QStringLiteral(" is not an OziExplorer map file");

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
        if (!toWindows1251(field.value, bytes)) {
            return QStringLiteral("Map ") + fileName + QStringLiteral(" is not listed: its ")
                + QLatin1String(field.title) + QStringLiteral(" \"") + field.value
                + QStringLiteral("\" holds characters that Windows-1251 cannot hold");
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
    QSaveFile file(listName);
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("Cannot write ") + listName + QStringLiteral(": ") + file.errorString();
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return QStringLiteral("Cannot write ") + listName + QStringLiteral(": ") + reason;
    }
#ifndef _WIN32
    ::fsync(file.handle());
#endif
    if (!file.commit())
        return QStringLiteral("Cannot write ") + listName + QStringLiteral(": ") + file.errorString();
    return QString();
}

} // namespace

RunResult MapListRun::run(const QString &folder, RunObserver &observer)
{
    RunResult result;
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        observer.message(QStringLiteral("Folder ") + folder + QStringLiteral(" is not exist"), kError,
                         MessageObserver::Icon::Critical);
        result.folderMissing = true;
        return result;
    }

    QStringList names = MapFileNames::list(folder);
    names.removeAll(kListName);
    QList<Record> records;
    for (int i = 0; i < names.size(); ++i) {
        if (observer.isCancelled()) {
            result.cancelled = true;
            break;
        }
        const QString &name = names.at(i);
        observer.progress(i + 1, int(names.size()), name);
        Record record;
        const QString error = readRecord(folder, name, observer, record);
        if (!error.isEmpty()) {
            observer.message(error, kError, MessageObserver::Icon::Critical);
            ++result.failed;
            if (!observer.askContinue(MapFileNames::continueQuestion(), kError)) {
                result.cancelled = true;
                break;
            }
            continue;
        }
        records.append(record);
        observer.status(QStringLiteral("Add to list ") + name);
    }
    observer.status(QString());

    // A cancelled run leaves an existing list as it was: a half list would
    // silently replace a whole one.
    if (result.cancelled)
        return result;

    const QString listName = FolderListing::join(folder, kListName);
    const QString error = writeList(listName, records);
    if (!error.isEmpty()) {
        observer.message(error, kError, MessageObserver::Icon::Critical);
        ++result.failed;
        return result;
    }
    result.count = int(records.size());
    observer.message(QStringLiteral("Done ") + QString::number(result.count) + QStringLiteral(" map-files"),
                     QString(), MessageObserver::Icon::None);
    return result;
}
