#pragma once

// Helpers for the tests of the map file utilities: copies of the real map
// files in a temporary folder, and byte-level views of a file's lines.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace MapFolderFixture {

// The real map files of tests/data/real-maps.
inline QString fixtureDir()
{
    return qEnvironmentVariable("QUILLMARK_FIXTURES") + QStringLiteral("/real-maps");
}

inline QString fixturePath(const QString &name)
{
    return fixtureDir() + QLatin1Char('/') + name;
}

// The fixtures that are not where they should be, as one line of text for a
// failure message; empty when all are there. A test case that reads them
// checks this first, so that a missing file fails the test with its path
// instead of handing an empty file to the code under test.
inline QString missingFixtures()
{
    static const char *const names[] = {"badgcps1.map", "gk5-pul42.map", "latlon-wgs84.map", "merc-wgs84.map",
                                        "nogcps.map",   "noheader.map",  "nolines.map",      "utm17-wgs84.map"};
    QStringList missing;
    for (const char *name : names) {
        const QString path = fixturePath(QLatin1String(name));
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            missing << path;
    }
    return missing.join(QStringLiteral(", "));
}

#define QUILLMARK_REQUIRE_FIXTURES()                                                                                   \
    do {                                                                                                               \
        const QString missing = MapFolderFixture::missingFixtures();                                                   \
        if (!missing.isEmpty())                                                                                        \
            QFAIL(qPrintable(QStringLiteral("missing test fixtures: ") + missing));                                   \
    } while (false)

inline QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

inline bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(bytes) == bytes.size();
}

// The fixtures have LF line ends; the program itself writes CR LF.
inline QByteArray toCrLf(const QByteArray &lf)
{
    QByteArray out = lf;
    out.replace("\r\n", "\n");
    out.replace("\n", "\r\n");
    return out;
}

// Copies a fixture into `folder` under `targetName` (its own name when empty).
inline QString copyFixture(const QString &folder, const QString &name, const QString &targetName = QString(),
                           bool crlf = false)
{
    const QString target = folder + QLatin1Char('/') + (targetName.isEmpty() ? name : targetName);
    QByteArray bytes = readAll(fixturePath(name));
    if (crlf)
        bytes = toCrLf(bytes);
    writeAll(target, bytes);
    return target;
}

// The lines of a file, each with its own line end.
inline QList<QByteArray> linesWithEnds(const QByteArray &bytes)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype nl = bytes.indexOf('\n', start);
        if (nl < 0)
            nl = bytes.size() - 1;
        lines.append(bytes.mid(start, nl - start + 1));
        start = nl + 1;
    }
    return lines;
}

inline QByteArray withoutEnd(QByteArray line)
{
    if (line.endsWith('\n'))
        line.chop(1);
    if (line.endsWith('\r'))
        line.chop(1);
    return line;
}

// Replaces the text of line `index` (keeping its line end).
inline QByteArray replaceLine(const QByteArray &bytes, int index, const QByteArray &text)
{
    QList<QByteArray> lines = linesWithEnds(bytes);
    const QByteArray &old = lines.at(index);
    const QByteArray end = old.mid(withoutEnd(old).size());
    lines[index] = text + end;
    return lines.join();
}

inline QByteArray removeLine(const QByteArray &bytes, int index)
{
    QList<QByteArray> lines = linesWithEnds(bytes);
    lines.removeAt(index);
    return lines.join();
}

inline int indexOfLineStartingWith(const QByteArray &bytes, const QByteArray &prefix)
{
    const QList<QByteArray> lines = linesWithEnds(bytes);
    for (int i = 0; i < lines.size(); ++i) {
        if (lines.at(i).startsWith(prefix))
            return i;
    }
    return -1;
}

} // namespace MapFolderFixture
