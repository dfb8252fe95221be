#include "mapfile/MapLineParser.h"

#include "mapfile/MapFile.h"
#include "mapfile/MessageObserver.h"
#include "mapfile/UpperKeyword.h"
#include "sheet/Global.h"
#include "sheet/Numeric.h"

#include <QCoreApplication>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace {

// Thrown inside the line parser when a field is missing; the parser's step
// trap drops it like any other failure of the step.
struct MissingField
{
};

// Runs one step of a trapped routine: a failure skips the rest of the step
// and the routine goes on with the next one.
template <class Step>
void trapped(Step &&step) noexcept
{
    try {
        step();
    } catch (...) {
    }
}

// A text split at commas into at most `limit` parts, the last part holding
// the rest of the text. An empty text has no parts.
struct Fields
{
    std::array<QStringView, 12> part{};
    int count = 0;

    Fields(QStringView text, int limit)
    {
        if (text.isEmpty())
            return;
        const QChar *chars = text.data();
        const qsizetype size = text.size();
        qsizetype start = 0;
        for (qsizetype i = 0; i < size && count < limit - 1; ++i) {
            if (chars[i] == u',') {
                part[count++] = QStringView(chars + start, i - start);
                start = i + 1;
            }
        }
        part[count++] = QStringView(chars + start, size - start);
    }

    QStringView at(int i) const
    {
        if (i < 0 || i >= count)
            throw MissingField();
        return part[i];
    }
};

// The keywords of the titles the line parser reads.
enum class Keyword { None, MMPNUM, MM1B, MMPXY, MMPLL, MAP_PROJECTION, PROJECTION_SETUP, POINT };

Keyword keywordOf(QStringView title)
{
    // An ASCII title is upper-cased into a small buffer and compared there;
    // any other title is upper-cased the full way (UpperKeyword).
    char upper[17];
    const qsizetype n = std::min<qsizetype>(title.size(), 16);
    bool ascii = true;
    for (qsizetype i = 0; i < n && ascii; ++i) {
        const char16_t c = title.at(i).unicode();
        ascii = c < 0x80;
        upper[i] = char(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    }
    if (!ascii) {
        if (UpperKeyword::is(title, "MMPNUM"))
            return Keyword::MMPNUM;
        if (UpperKeyword::is(title, "MM1B"))
            return Keyword::MM1B;
        if (UpperKeyword::is(title, "MMPXY"))
            return Keyword::MMPXY;
        if (UpperKeyword::is(title, "MMPLL"))
            return Keyword::MMPLL;
        if (UpperKeyword::is(title, "MAP PROJECTION"))
            return Keyword::MAP_PROJECTION;
        if (UpperKeyword::is(title, "PROJECTION SETUP"))
            return Keyword::PROJECTION_SETUP;
        if (UpperKeyword::startsWith(title, "POINT"))
            return Keyword::POINT;
        return Keyword::None;
    }
    const QByteArrayView head(upper, n);
    if (n >= 5 && head.first(5) == "POINT")
        return Keyword::POINT;
    if (title.size() > 16)
        return Keyword::None; // longer than every other keyword (and all ASCII so far)
    if (head == "MMPNUM")
        return Keyword::MMPNUM;
    if (head == "MM1B")
        return Keyword::MM1B;
    if (head == "MMPXY")
        return Keyword::MMPXY;
    if (head == "MMPLL")
        return Keyword::MMPLL;
    if (head == "MAP PROJECTION")
        return Keyword::MAP_PROJECTION;
    if (head == "PROJECTION SETUP")
        return Keyword::PROJECTION_SETUP;
    return Keyword::None;
}

double lenient(QStringView text)
{
    return Numeric::leadingNumber(text);
}

double strict(QStringView text)
{
    double value = 0;
    if (!Numeric::strictNumber(text, value))
        throw MissingField();
    return value;
}

qint16 strictInt16(QStringView text)
{
    return Numeric::toInt16(strict(text));
}

} // namespace

void MapLineParser::parse(MapFile &map, QString &Title, QString &body, int idx)
{
    const int L = idx + 1;
    if (L == 1)
        return;

    if (L == 2) { // the map title line
        trapped([&] {
            const QString name = Global::cutExtension4(body);
            if (!map.KeepReadLines)
                body = name;
            map.MapName = name;
        });
        // The notes quote the line: only a map file's (one that is not a map
        // may be any file a link leads to).
        const bool mapFile = map.hasHeader();
        trapped([&] {
            map.iRow = Global::getRow(map.MapName);
            if (map.iRow < 1 && map.Observer && mapFile)
                map.Observer->message(map.MapName + QCoreApplication::translate("MapFile", " Incorrect 1:1M map row in image name "),
                                  QCoreApplication::translate("MapFile", "Error"), MessageObserver::Icon::Critical);
        });
        trapped([&] {
            map.iCol = Global::getColumn(map.MapName, Global::getMaskByName(Global::getNameNoExt(map.MapName)));
            if ((map.iCol < 1 || map.iCol > 60) && map.Observer && mapFile)
                map.Observer->message(map.MapName + QCoreApplication::translate("MapFile", " Incorrect 1:1M map column number in image name ")
                                      + QString::number(map.iCol),
                                  QCoreApplication::translate("MapFile", "Error"), MessageObserver::Icon::Critical);
        });
        trapped([&] { map.bSouth = Global::getHemisphere(map.MapName) == QLatin1String("S"); });
        return;
    }

    if (L == 3) { // the image path line
        trapped([&] {
            const QString name = Global::getFileName(body);
            if (!map.KeepReadLines)
                body = name;
            map.ImageName = name;
        });
        return;
    }

    if (L >= 4 && L <= 7)
        return;
    if (Title.isEmpty())
        return;
    const Keyword keyword = keywordOf(Title);
    if (keyword == Keyword::None)
        return;

    if (keyword == Keyword::MMPNUM) {
        trapped([&] { map.MMPNUM = Numeric::toInt16(lenient(body)); });
    } else if (keyword == Keyword::MM1B) {
        trapped([&] {
            const double v = lenient(body);
            if (std::fabs(v) <= double(std::numeric_limits<float>::max()))
                map.MM1B = float(v);
        });
    } else if (keyword == Keyword::MMPXY) {
        const Fields f(body, 3);
        qint16 n = 0;
        trapped([&] { n = strictInt16(f.at(0)); });
        if (n >= 1 && n <= 4) {
            CornerXY &c = map.m_cornerXY[n];
            trapped([&] { c.X = Numeric::toInt16(lenient(f.at(1))); });
            trapped([&] { c.Y = Numeric::toInt16(lenient(f.at(2))); });
            c.LineNo = idx;
        }
    } else if (keyword == Keyword::MMPLL) {
        const Fields f(body, 3);
        qint16 n = 0;
        trapped([&] { n = strictInt16(f.at(0)); });
        if (n >= 1 && n <= 4) {
            CornerLL &c = map.m_cornerLL[n];
            trapped([&] { c.Lon = lenient(f.at(1)); });
            trapped([&] { c.Lat = lenient(f.at(2)); });
            c.LineNo = idx;
        }
    } else if (keyword == Keyword::MAP_PROJECTION) {
        map.m_projLine = idx;
        trapped([&] {
            const Fields f(body, 7);
            const bool other = f.at(0).toString().toUpper() != QLatin1String("TRANSVERSE MERCATOR");
            // Only a map of a sheet of the international grid is ours to put
            // into Transverse Mercator; a map made by another program keeps its projection.
            const bool sheet = map.iRow >= 1 && map.iCol >= 1 && map.iCol <= 60;
            map.m_projFixed = other && sheet && !map.KeepReadLines;
            if (map.m_projFixed)
                body = QLatin1String(kTransverseMercator);
        });
    } else if (keyword == Keyword::PROJECTION_SETUP) {
        map.m_projSetupLine = idx;
        if (map.m_projFixed && !map.KeepReadLines) {
            trapped([&] {
                body = map.projectionSetup();
            });
        }
    } else if (keyword == Keyword::POINT) {
        qint16 n = 0;
        trapped([&] { n = strictInt16(QStringView(Title).right(2)); });
        if (n < 1 || n > 9)
            return; // Point10..Point30 are kept but carry nothing we use
        MapPoint &p = map.m_points[n];
        p.LineNo = idx;
        if (map.m_firstPointLine == 0)
            map.m_firstPointLine = idx;
        const Fields f(body, 12);
        const bool noPixel = f.count < 2 || f.part[1].trimmed().isEmpty()
            || (f.count > 3 && f.part[3].compare(u"ex", Qt::CaseInsensitive) == 0);
        if (noPixel) {
            p.X = -1;
            p.Y = -1;
            return;
        }
        trapped([&] { p.X = Numeric::toInt16(lenient(f.at(1))); });
        trapped([&] { p.Y = Numeric::toInt16(lenient(f.at(2))); });
        trapped([&] {
            double lat = lenient(f.at(5));
            lat += lenient(f.at(6)) / 60;
            if (f.count > 7 && f.part[7] == u"S")
                lat = -lat;
            p.Lat = lat;
        });
        trapped([&] {
            double lon = strict(f.at(8));
            lon += lenient(f.at(9)) / 60;
            if (f.count > 10 && f.part[10] == u"W")
                lon = -lon;
            p.Lon = lon;
        });
        if (n > map.m_pointCount)
            map.m_pointCount = n;
    }
}
