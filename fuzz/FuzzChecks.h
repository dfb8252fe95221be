#pragma once

// The checks the fuzz targets make on one input, shared with the ordinary test
// suite, which replays every kept input through them (tests/tst_fuzz_regressions).
// Each check returns an empty string when the input passed, else what went wrong.
// A crash, a hang or a sanitizer report inside a check is a failure as well.
// With `thorough` false a check makes only its quick part, which the fuzz
// targets run on every input (the thorough one on a sample: FuzzEntry::sampled);
// the test suite always runs them thoroughly.

#include "imageinfo/CImageInfo.h"
#include "sheet/MapError.h"
#include "mapfile/MapFile.h"
#include "sheet/SheetGeometry.h"
#include "sheet/SheetText.h"
#include "settings/IniFile.h"
#include "sheet/Global.h"
#include "sheet/SheetIdentity.h"
#include "sheet/SheetName.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

#include <cmath>
#include <cstring>

namespace FuzzChecks {

// Every line of a document as it is written.
inline QStringList linesOf(const MapFile &map)
{
    QStringList out;
    for (int i = 0; i < map.lineCount(); ++i)
        out.append(map.lineText(i));
    return out;
}

// Runs `fn`, swallowing the MapError a map operation may throw.
template<typename Fn>
inline void tolerating(Fn fn)
{
    try {
        fn();
    } catch (const MapError &) {
    }
}

// Reads `data`, writes the document and reads the bytes again: the same lines
// come back. With `keepReadLines` every line must match; without it the reader
// rewrites the title (its extension cut) and the image path (its folder cut) on
// each reading, so those two lines may shrink again and are left out.
inline QString checkRoundTrip(const QByteArray &data, bool keepReadLines, int &count)
{
    MapFile first;
    first.KeepReadLines = keepReadLines;
    try {
        first.ReadBytes(data);
    } catch (const MapError &) {
        count = -1;
        return QString(); // refused as a whole: nothing to compare
    }
    count = first.lineCount();
    const QStringList lines = linesOf(first);
    if (lines.size() != first.lineCount())
        return QStringLiteral("lineCount disagrees with the lines");

    QByteArray written;
    try {
        written = first.ToBytes();
    } catch (const MapError &) {
        return QString(); // text the code page cannot hold
    }
    // Lines kept as read are written back byte for byte, line ends included.
    if (keepReadLines && written != data)
        return QStringLiteral("the bytes written differ from the bytes read (%1 -> %2 bytes)")
            .arg(data.size()).arg(written.size());
    MapFile second;
    second.KeepReadLines = keepReadLines;
    try {
        second.ReadBytes(written);
    } catch (const MapError &e) {
        return QStringLiteral("the written bytes cannot be read again: ") + e.text();
    }
    if (second.lineCount() != first.lineCount())
        return QStringLiteral("line count %1 after writing, %2 before").arg(second.lineCount()).arg(first.lineCount());
    QStringList again = linesOf(second);
    // The rewritten title or image line may take away the only bytes that were
    // not UTF-8, so that the same bytes of the other lines now read as UTF-8
    // (detection is by the whole file): those lines are compared as the bytes
    // they were written as, read in the first document's encoding.
    if (second.Encoding != first.Encoding) {
        for (QString &line : again) {
            QByteArray bytes;
            MapTextEncoding::encode(line, second.Encoding, bytes);
            line = MapTextEncoding::decode(bytes, first.Encoding);
        }
    }
    for (int i = 0; i < lines.size(); ++i) {
        if (!keepReadLines && (i == 1 || i == 2))
            continue;
        if (again.at(i) != lines.at(i))
            return QStringLiteral("line %1 changed by writing (%2): \"%3\" became \"%4\"")
                .arg(i)
                .arg(keepReadLines ? QStringLiteral("lines kept") : QStringLiteral("lines parsed"))
                .arg(lines.at(i).left(80), again.at(i).left(80));
    }
    return QString();
}

// Reads any bytes as a map file, writes them back and reads them again; then
// the point, corner and path operations on what was read. Quick: the bytes
// read with the lines kept come back as they were, once.
inline QString checkMapFile(const QByteArray &data, bool thorough = true)
{
    if (!thorough) {
        MapFile map;
        map.KeepReadLines = true;
        try {
            map.ReadBytes(data);
        } catch (const MapError &) {
            return QString();
        }
        QByteArray written;
        try {
            written = map.ToBytes();
        } catch (const MapError &) {
            return QString();
        }
        if (written != data)
            return QStringLiteral("the bytes written differ from the bytes read (%1 -> %2 bytes)")
                .arg(data.size()).arg(written.size());
        return QString();
    }
    int count = 0;
    QString failure = checkRoundTrip(data, true, count);
    if (!failure.isEmpty())
        return failure;
    failure = checkRoundTrip(data, false, count);
    if (!failure.isEmpty() || count < 0)
        return failure;

    // The edits the utilities make, each on what was read; what they write
    // reads back as the same number of lines.
    const auto rereadCount = [](const MapFile &m) {
        int n = -2;
        tolerating([&] {
            const QByteArray bytes = m.ToBytes();
            MapFile again;
            again.KeepReadLines = true;
            again.ReadBytes(bytes);
            n = again.lineCount();
        });
        return n;
    };
    {
        MapFile m;
        tolerating([&] { m.ReadBytes(data); m.SortPoints(); });
        if (m.lineCount() != count)
            return QStringLiteral("SortPoints changed the line count");
        tolerating([&] { m.SetCorner(); });
        const int n = rereadCount(m);
        if (m.lineCount() != count || (n != -2 && n != count))
            return QStringLiteral("SetCorner changed the line count");
    }
    {
        MapFile m;
        tolerating([&] { m.ReadBytes(data); m.RemovePath(); });
        if (m.lineCount() != count)
            return QStringLiteral("RemovePath changed the line count");
        const int n = rereadCount(m);
        if (n != -2 && n != count)
            return QStringLiteral("RemovePath wrote %1 lines for %2").arg(n).arg(count);
    }
    {
        MapFile m;
        m.KeepReadLines = true;
        tolerating([&] { m.ReadBytes(data); });
        for (int k = 0; k <= 10; ++k)
            tolerating([&] { (void)m.SetPoint(k, false); });
        tolerating([&] { m.SortPoints(); m.SetCorner(); });
        const int n = rereadCount(m);
        if (n != -2 && n != m.lineCount())
            return QStringLiteral("after SetPoint the document of %1 lines was written as %2").arg(m.lineCount()).arg(n);
    }
    return QString();
}

// Any bytes as an image header: sizes are never negative and the result is the
// same as for the bytes padded with zeros to 64 KiB.
// With `scratchFile`, the bytes are also written there and read as a file,
// which reads the first 64 KiB in steps: the result must be the same.
// Quick: the sizes and the type only (the padded bytes make the reader walk 64 KiB).
inline QString checkImageInfo(const QByteArray &data, const QString &scratchFile = QString(), bool thorough = true)
{
    CImageInfo info;
    const bool ok = info.ReadImageInfo(data);
    if (info.Width() < 0 || info.Height() < 0)
        return QStringLiteral("size %1 x %2 is negative").arg(info.Width()).arg(info.Height());
    if (info.ImageType() < CImageInfo::Unknown || info.ImageType() > CImageInfo::Bmp)
        return QStringLiteral("unknown image type %1").arg(info.ImageType());
    if (!thorough)
        return QString();

    const qsizetype limit = 64 * 1024;
    if (data.size() < limit) {
        QByteArray padded = data;
        padded.append(QByteArray(limit - data.size(), '\0'));
        CImageInfo again;
        const bool okAgain = again.ReadImageInfo(padded);
        if (okAgain != ok || again.Width() != info.Width() || again.Height() != info.Height()
            || again.Depth() != info.Depth() || again.ImageType() != info.ImageType())
            return QStringLiteral("padding with zeros changed the result: %1 %2x%3x%4 type %5 -> %6 %7x%8x%9 type %10")
                .arg(ok).arg(info.Width()).arg(info.Height()).arg(info.Depth()).arg(info.ImageType())
                .arg(okAgain).arg(again.Width()).arg(again.Height()).arg(again.Depth()).arg(again.ImageType());
    } else {
        // Only the first 64 KiB are looked at.
        CImageInfo cut;
        const bool okCut = cut.ReadImageInfo(data.left(limit));
        if (okCut != ok || cut.Width() != info.Width() || cut.Height() != info.Height()
            || cut.ImageType() != info.ImageType())
            return QStringLiteral("bytes after the first 64 KiB changed the result");
    }

    if (!scratchFile.isEmpty()) {
        {
            QFile f(scratchFile);
            if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(data) != data.size())
                return QStringLiteral("cannot write the scratch file %1").arg(scratchFile);
        }
        CImageInfo fromFile;
        const bool okFile = fromFile.ReadImageInfo(scratchFile);
        QFile::remove(scratchFile);
        if (okFile != ok || fromFile.Width() != info.Width() || fromFile.Height() != info.Height()
            || fromFile.Depth() != info.Depth() || fromFile.ImageType() != info.ImageType())
            return QStringLiteral("the file gives %1 %2x%3x%4 type %5, its bytes %6 %7x%8x%9 type %10")
                .arg(okFile).arg(fromFile.Width()).arg(fromFile.Height()).arg(fromFile.Depth())
                .arg(fromFile.ImageType())
                .arg(ok).arg(info.Width()).arg(info.Height()).arg(info.Depth()).arg(info.ImageType());
    }
    return QString();
}

// The texts and points of one sheet held in a MapFile; values of a sheet that
// passed the checks are on the globe.
inline QString checkSheetPoints(MapFile &map, bool valid)
{
    for (int k = 0; k <= 10; ++k) {
        for (const char *type : {"lat", "lon", "x", "y"}) {
            double v = 0;
            bool threw = false;
            try {
                v = map.CreatePoint(k, QString::fromLatin1(type));
            } catch (const MapError &) {
                threw = true;
            }
            if (!valid || threw || k < 1 || k > 9)
                continue;
            if (!std::isfinite(v))
                return QStringLiteral("point %1 %2 is not finite").arg(k).arg(QLatin1String(type));
            if (std::strcmp(type, "lat") == 0 && (v < -90 || v > 90))
                return QStringLiteral("point %1 latitude %2 off the globe").arg(k).arg(v);
            // The doubled and quadrupled sheets of the far north reach past 180
            // degrees when they are named by one of the last columns (V-60: 174..198).
            if (std::strcmp(type, "lon") == 0 && (v < -180 || v > 198))
                return QStringLiteral("point %1 longitude %2 off the globe").arg(k).arg(v);
        }
    }
    tolerating([&] { (void)map.getMapName(); });
    tolerating([&] { (void)map.getZone(); });
    tolerating([&] { (void)map.getCMeridian(); });
    tolerating([&] { (void)map.getScaleMP(); });
    for (double d : {0.0, -0.0, 1e-9, 55.5, -179.999999, 90.0, 1e300, -1e300, std::nan(""), HUGE_VAL}) {
        tolerating([&] { (void)map.Lat2Str(d); });
        tolerating([&] { (void)map.Lon2Str(d); });
        tolerating([&] { (void)map.DD2Str(d); });
    }
    return QString();
}

// A file name through every sheet-name operation, the creator's checks under
// every scale and mask, and the calibration points and texts of what they give.
// Quick: the program's own masks and scales only, the points and texts of the
// first identity accepted only, and of the raw fields only their geometry.
inline QString checkSheet(const QByteArray &data, bool thorough = true)
{
    // The name is the text before the first zero byte; the bytes after it, if
    // any, fill raw sheet fields for the geometry.
    const qsizetype zero = data.indexOf('\0');
    const QString name = QString::fromUtf8(zero < 0 ? data : data.left(zero));
    const QByteArray raw = zero < 0 ? QByteArray() : data.mid(zero + 1);

    // The program's own masks and scales; the thorough check adds an empty
    // mask, the name as its own mask and scales no caller gives.
    QStringList masks{QStringLiteral("RCC-LLL"), QStringLiteral("R-CC-LLL")};
    QList<int> scales{1000, 500, 200, 100, 50, 25, 10};
    if (thorough) {
        masks << QString() << name;
        scales << 0 << -1 << 32767 << -32768;
    }

    (void)Global::getNameNoExt(name);
    (void)Global::getExtension(name);
    (void)Global::getFileName(name);
    (void)Global::cutExtension4(name);
    (void)Global::getRow(name);
    (void)Global::getHemisphere(name);
    (void)Global::isAllDigits(name);
    (void)Global::isAllSeparators(name);
    (void)Global::isAllLetters(name);
    (void)Global::letterIndex(name);
    (void)Global::pattern(name);
    (void)Global::withoutHemisphere(name);
    const int scaleByName = Global::scaleFromText(Global::getScaleByName(name));
    (void)Global::getMaskByName(name);
    (void)Global::scaleText(Global::scaleFromText(name));
    for (const QString &mask : masks) {
        (void)Global::getColumn(name, mask);
        for (int scale : scales) {
            (void)Global::getListCount(scale);
            (void)Global::getListNum(name, scale, mask);
            (void)Global::getLetter50K(name, scale, mask);
            (void)Global::getLetter25K(name, scale, mask);
        }
    }
    if (scaleByName != 0 && Global::scaleText(scaleByName) == QLatin1String(" "))
        return QStringLiteral("scale %1 read from the name has no text").arg(scaleByName);

    bool pointsChecked = false;
    for (const QString &mask : masks) {
        for (int scale : scales) {
            const SheetIdentity id = SheetIdentity::check(name, scale, mask);
            if (id.scale != scale || id.mask != mask)
                return QStringLiteral("the identity does not keep its scale and mask");
            if (!id.ok())
                continue;
            if (id.row < 1 || id.row > 22)
                return QStringLiteral("accepted row %1 outside A..V").arg(id.row);
            if (id.col < 1 || id.col > 60)
                return QStringLiteral("accepted column %1 outside 1..60").arg(id.col);
            if (scale != 1000 && (id.list < 1 || id.list > Global::getListCount(scale)))
                return QStringLiteral("accepted list %1 outside 1..%2").arg(id.list).arg(Global::getListCount(scale));
            if ((scale == 50 || scale == 25) && (id.list50 < 1 || id.list50 > 4))
                return QStringLiteral("accepted 1:50K letter %1").arg(id.list50);
            if (scale == 25 && (id.list25 < 1 || id.list25 > 4))
                return QStringLiteral("accepted 1:25K letter %1").arg(id.list25);

            if (!thorough && pointsChecked)
                continue;
            pointsChecked = true;
            MapFile map;
            map.iRow = id.row;
            map.iCol = id.col;
            map.iList = id.list;
            map.iList50 = id.list50;
            map.iList25 = id.list25;
            map.iScale = qint16(scale);
            map.bSouth = id.south;
            map.iX = 4000;
            map.iY = 4000;
            const QString failure = checkSheetPoints(map, true);
            if (!failure.isEmpty())
                return name + QStringLiteral(" at 1:%1K: ").arg(scale) + failure;
        }
    }

    // Every form of sheet name: a sheet taken is one of the series.
    for (int scale : QList<int>{SheetName::ByName} + scales) {
        const SheetName read = SheetName::read(name, scale, QString(), true);
        const SheetIdentity &id = read.id;
        if (!id.ok())
            continue;
        if (id.row < 1 || id.row > 22 || id.col < 1 || id.col > 60
            || (id.scale != 1000 && (id.list < 1 || id.list > Global::getListCount(id.scale))))
            return QStringLiteral("a name read at %1 gives row %2, column %3, list %4")
                .arg(scale).arg(id.row).arg(id.col).arg(id.list);
        if (scale != SheetName::ByName && id.scale != scale)
            return QStringLiteral("a name read at %1 gives a sheet of %2").arg(scale).arg(id.scale);
    }

    // Raw fields: whatever a map file or a caller might hold must not crash.
    if (raw.size() >= 18) {
        auto word = [&raw](int i) {
            return qint16(quint16(quint8(raw.at(2 * i))) | quint16(quint16(quint8(raw.at(2 * i + 1))) << 8));
        };
        MapFile map;
        map.iRow = word(0);
        map.iCol = word(1);
        map.iList = word(2);
        map.iList50 = word(3);
        map.iList25 = word(4);
        map.iScale = word(5);
        map.iX = word(6);
        map.iY = word(7);
        map.bSouth = (word(8) & 1) != 0;
        map.dMTop = double(word(8) >> 1) / 1000.0;
        const QString failure = thorough ? checkSheetPoints(map, false) : QString();
        if (!failure.isEmpty())
            return failure;
        const SheetFields fields = map.sheetFields();
        for (int k = 0; k <= 10; ++k) {
            tolerating([&] { (void)SheetGeometry::latitude(fields, k); });
            tolerating([&] { (void)SheetGeometry::longitude(fields, k); });
        }
        tolerating([&] { (void)SheetText::mapName(fields); });
        tolerating([&] { (void)SheetText::zone(fields); });
        tolerating([&] { (void)SheetText::centralMeridian(fields); });
        tolerating([&] { (void)SheetText::scaleMP(fields); });
    }
    return QString();
}

// The value a read gives back for what a write stored: blanks around it cut,
// one pair of surrounding double quotes stripped, at most 254 characters.
inline QString expectedRead(const QString &stored)
{
    QString v = stored.trimmed();
    if (v.size() >= 2 && v.startsWith(QLatin1Char('"')) && v.endsWith(QLatin1Char('"')))
        v = v.mid(1, v.size() - 2);
    return v.left(IniFile::MaxValueLength);
}

// Any bytes as a settings file at `path`: read keys; write one key and read it back.
// The input's first line, if it has the form "key=value", names the key and value written.
// Quick: the keys of the input and "path" only, in section "sets" and the input's
// first section (each read opens the file).
inline QString checkSettings(const QByteArray &data, const QString &path, bool thorough = true)
{
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return QStringLiteral("cannot write the scratch file %1").arg(path);
        f.write(data);
    }

    // The keys the program itself reads, and names taken from the input.
    QStringList keys{QStringLiteral("path")};
    QStringList sections{QStringLiteral("sets")};
    if (thorough) {
        keys << QStringLiteral("Scale") << QStringLiteral("LeftMapCreator") << QStringLiteral("ZoomMapCreator")
             << QString() << QStringLiteral(" ");
        sections << QStringLiteral("SETS") << QString();
    }
    const QList<QByteArray> rawLines = data.split('\n');
    const int linesLooked = thorough ? 8 : 3;
    for (int i = 0; i < rawLines.size() && i < linesLooked; ++i) {
        const QString line = QString::fromLatin1(rawLines.at(i)).trimmed();
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0)
            keys.append(line.left(eq));
        if (line.startsWith(QLatin1Char('[')) && (thorough || sections.size() < 2))
            sections.append(line.mid(1, line.indexOf(QLatin1Char(']')) - 1));
    }
    for (const QString &section : sections) {
        for (const QString &key : keys) {
            const QString v = IniFile::read(path, section, key, QStringLiteral("\x01" "default"));
            if (v != QLatin1String("\x01" "default") && v.size() > IniFile::MaxValueLength)
                return QStringLiteral("a value longer than %1 characters was read").arg(IniFile::MaxValueLength);
        }
    }

    // One write of a key taken from the input, then read back.
    QString key = QStringLiteral("path");
    QString value = QStringLiteral("C:\\Maps\\N-37");
    QString section = QStringLiteral("sets");
    if (!rawLines.isEmpty()) {
        const QString first = QString::fromUtf8(rawLines.first());
        const qsizetype eq = first.indexOf(QLatin1Char('='));
        if (eq > 0) {
            key = first.left(eq);
            value = first.mid(eq + 1);
        }
    }
    if (rawLines.size() > 1 && rawLines.at(1).startsWith('#'))
        section = QString::fromUtf8(rawLines.at(1).mid(1));

    // The other keys of the section before the write, to check they survive it.
    QStringList otherKeys;
    QStringList otherValues;
    for (const QString &k : keys) {
        if (k.trimmed().compare(key.trimmed(), Qt::CaseInsensitive) == 0)
            continue;
        otherKeys.append(k);
        otherValues.append(IniFile::read(path, section, k, QStringLiteral("\x01" "none")));
    }
    if (IniFile::write(path, section, key, value)) {
        const QString back = IniFile::read(path, section, key, QStringLiteral("\x01" "none"));
        if (back != expectedRead(value))
            return QStringLiteral("wrote \"%1\" under [%2] %3, read back \"%4\"").arg(value, section, key, back);
        for (int i = 0; i < otherKeys.size(); ++i) {
            const QString now = IniFile::read(path, section, otherKeys.at(i), QStringLiteral("\x01" "none"));
            if (now != otherValues.at(i))
                return QStringLiteral("writing %1 changed key %2 from \"%3\" to \"%4\"")
                    .arg(key, otherKeys.at(i), otherValues.at(i), now);
        }
    }
    QFile::remove(path);
    return QString();
}

} // namespace FuzzChecks
