#include "mapfile/MapFile.h"

#include "mapfile/MapFileIO.h"
#include "mapfile/MapLineParser.h"
#include "mapfile/UpperKeyword.h"
#include "sheet/MapError.h"
#include "sheet/Numeric.h"
#include "sheet/SheetFields.h"
#include "sheet/SheetGeometry.h"
#include "sheet/SheetText.h"

#include <QCoreApplication>
#include <QIODevice>
#include <QStringBuilder>

#include <algorithm>
#include <cmath>

namespace {

// "####0": a whole number, halves to even, no leading zeros.
QString wholeNumber(double value)
{
    return QString::number(Numeric::toInt32(value)); // halves to even; a value beyond 32 bits throws
}

QString pointTitle(int k)
{
    // Point01..Point30 are made once; every new map has them all.
    static const std::array<QString, 31> titles = [] {
        std::array<QString, 31> t;
        for (int n = 1; n <= 30; ++n)
            t[size_t(n)] = QStringLiteral("Point") + Numeric::zeroPad(n, 2);
        return t;
    }();
    if (k >= 1 && k <= 30)
        return titles[size_t(k)];
    return QStringLiteral("Point") + Numeric::zeroPad(k, 2);
}

} // namespace

// --- creation and reading ---------------------------------------------------------

MapFile::MapFile(MessageObserver *observer) : Observer(observer)
{
}

void MapFile::ResetPoints()
{
    m_pointCount = 0;
    m_firstPointLine = 0;
    m_lines.clear();
    m_points.fill(MapPoint{});
}

void MapFile::ReadMap(const QString &name)
{
    const QString fileName = name.isEmpty() ? FileName : name;
    if (fileName.isEmpty())
        throw MapError(QCoreApplication::translate("MapFile", "Cannot read the map file: no file name given"));
    ReadBytes(MapFileIO::read(fileName));
}

void MapFile::ReadMap(QIODevice &device)
{
    if (!device.isOpen() && !device.open(QIODevice::ReadOnly))
        throw MapError(QCoreApplication::translate("MapFile", "Cannot read the map file: %1").arg(device.errorString()));
    if (!device.isReadable())
        throw MapError(QCoreApplication::translate("MapFile", "Cannot read the map file: the device is not open for reading"));
    ReadBytes(device.readAll());
}

void MapFile::ReadBytes(const QByteArray &bytes)
{
    ResetPoints();
    m_lines.setEol(QByteArrayLiteral("\r\n"));
    if (!MapLineStore::holds(bytes.size()))
        throw MapError(QCoreApplication::translate("MapFile", "Cannot read the map file: it is too large for a map file"));
    EncodingFromBytes = MapTextEncoding::hasNonAscii(bytes);
    Encoding = MapTextEncoding::detect(bytes);
    m_lines.read(bytes, Encoding, [this](QString &title, QString &body, int idx) { MapLineParser::parse(*this, title, body, idx); });
    SortPoints();
}

QString MapFile::lineTitle(int i) const
{
    return m_lines.title(i, Encoding);
}

bool MapFile::lineTitleIs(int i, QLatin1StringView key, bool folded) const
{
    return m_lines.titleIs(i, key, folded, Encoding);
}

MapLine MapFile::line(int i) const
{
    return m_lines.line(i, Encoding);
}

QString MapFile::lineText(int i) const
{
    return m_lines.text(i, Encoding);
}

QByteArray MapFile::ToBytes() const
{
    return m_lines.toBytes(Encoding);
}

// --- editing -------------------------------------------------------------------------

void MapFile::AddLine(const QString &Title, const QString &body, int idx)
{
    const qint16 tag = Numeric::toInt16(static_cast<long long>(idx));
    QString title = Title;
    QString text = body;
    MapLineParser::parse(*this, title, text, lineCount());
    m_lines.add(std::move(title), std::move(text), tag, Encoding);
}

void MapFile::SetLine(int num, const QString &Title, const QString &body, int idx, bool fParse)
{
    m_lines.check(num);
    const qint16 tag = Numeric::toInt16(static_cast<long long>(idx));
    QString title = Title;
    QString text = body;
    if (fParse)
        MapLineParser::parse(*this, title, text, num);
    m_lines.replace(num, std::move(title), std::move(text), tag, Encoding);
}

void MapFile::RemovePath()
{
    if (lineCount() < 3)
        return;
    const QString path = line(2).Body;
    const qsizetype slash = path.lastIndexOf(u'\\');
    if (slash >= 0)
        SetLine(2, QString(), path.mid(slash + 1), -1, true);
}

void MapFile::SetCorner()
{
    // Every corner line must be in the document before anything changes: a
    // missing MMPXY or MMPLL line would otherwise make another line the target.
    for (int k = 1; k <= 4; ++k) {
        const int xy = m_cornerXY[k].LineNo;
        const int ll = m_cornerLL[k].LineNo;
        if (xy <= 0 || xy >= lineCount() || !lineTitleIs(xy, QLatin1StringView("MMPXY")))
            throw MapError(QCoreApplication::translate("MapFile", "The map has no corner marker line MMPXY %1").arg(k));
        if (ll <= 0 || ll >= lineCount() || !lineTitleIs(ll, QLatin1StringView("MMPLL")))
            throw MapError(QCoreApplication::translate("MapFile", "The map has no corner marker line MMPLL %1").arg(k));
    }
    SortPoints();
    for (int k = 1; k <= 4; ++k) {
        const MapPoint p = m_points[k];
        const QChar n(char16_t(u'0' + k));
        SetLine(m_cornerXY[k].LineNo, QStringLiteral("MMPXY"),
                n % QLatin1Char(',') % QString::number(p.X) % QLatin1Char(',') % QString::number(p.Y), -1, true);
        SetLine(m_cornerLL[k].LineNo, QStringLiteral("MMPLL"),
                n % QLatin1Char(',') % FormatDD(p.Lon) % QLatin1StringView(" , ") % FormatDD(p.Lat), -1, true);
    }
}

void MapFile::WriteMap(const QString &name, bool syncToDisk) const
{
    const QString shown = name.isEmpty() ? FileName : name;
    if (shown.isEmpty())
        throw MapError(QCoreApplication::translate("MapFile", "Cannot write the map file: no file name given"));
    // Everything is encoded before the file system is touched: a line that
    // cannot be written leaves the old file as it was.
    MapFileIO::write(shown, ToBytes(), syncToDisk);
}

// --- views -----------------------------------------------------------------------------

const MapPoint &MapFile::point(int k) const
{
    if (k < 1 || k > 9)
        throw MapError(QCoreApplication::translate("MapFile", "Subscript out of range: point %1").arg(k));
    return m_points[k];
}

const CornerXY &MapFile::cornerXY(int n) const
{
    if (n < 1 || n > 4)
        throw MapError(QCoreApplication::translate("MapFile", "Subscript out of range: corner %1").arg(n));
    return m_cornerXY[n];
}

const CornerLL &MapFile::cornerLL(int n) const
{
    if (n < 1 || n > 4)
        throw MapError(QCoreApplication::translate("MapFile", "Subscript out of range: corner %1").arg(n));
    return m_cornerLL[n];
}

SheetFields MapFile::sheetFields() const
{
    SheetFields s;
    s.iRow = iRow;
    s.iCol = iCol;
    s.iList = iList;
    s.iList50 = iList50;
    s.iList25 = iList25;
    s.iList10 = iList10;
    s.iScale = iScale;
    s.bSouth = bSouth;
    s.iY = iY;
    return s;
}

bool MapFile::hasHeader() const
{
    return lineCount() > 0 && lineText(0).startsWith(QLatin1String("OziExplorer Map Data File"));
}

// --- calibration points ----------------------------------------------------------------

MapFile::Coord MapFile::coordOf(const QString &strType)
{
    if (UpperKeyword::is(strType, "LAT"))
        return Coord::Lat;
    if (UpperKeyword::is(strType, "LON"))
        return Coord::Lon;
    if (UpperKeyword::is(strType, "Y"))
        return Coord::Y;
    if (UpperKeyword::is(strType, "X"))
        return Coord::X;
    return Coord::None;
}

double MapFile::GetPoint(int iPN, const QString &strType) const
{
    return pointValue(iPN, coordOf(strType));
}

double MapFile::pointValue(int k, Coord c) const
{
    const MapPoint &p = point(k);
    switch (c) {
    case Coord::Lat:
        return p.Lat;
    case Coord::Lon:
        return p.Lon;
    case Coord::Y:
        return p.Y;
    case Coord::X:
        return p.X;
    case Coord::None:
        break;
    }
    return 0;
}

double MapFile::CreatePoint(int k, const QString &strType) const
{
    return newPointValue(k, coordOf(strType));
}

double MapFile::newPointValue(int k, Coord c) const
{
    if (c == Coord::Lat)
        return SheetGeometry::latitude(sheetFields(), k);
    if (c == Coord::Lon)
        return SheetGeometry::longitude(sheetFields(), k);
    const bool stored = m_pointCount >= 4;
    if (HasFrameCorners && k >= 1 && k <= 4) {
        if (c == Coord::X)
            return std::round(FrameCorners[2 * (k - 1)]);
        if (c == Coord::Y)
            return std::round(FrameCorners[2 * (k - 1) + 1]);
    }
    if (c == Coord::Y) {
        const double H = iY;
        const double top = dMTop;
        const double bottom = dMBottom;
        const auto n = [this](int p) { return pointValue(p, Coord::Y); };
        switch (k) {
        case 1:
        case 2:
            return std::floor(H * top);
        case 3:
        case 4:
            return std::floor((1 - bottom) * H);
        case 6:
            return stored ? (n(2) + n(1)) / 2 : std::floor(H * top);
        case 9:
            return stored ? (n(4) + n(3)) / 2 : std::floor((1 - bottom) * H);
        case 5:
        case 7:
        case 8:
            if (!stored)
                return std::floor((1 - top - bottom) * H / 2 + H * top);
            if (k == 5)
                return (n(2) + n(1) + n(4) + n(3)) / 4;
            if (k == 7)
                return (n(4) + n(1)) / 2;
            return (n(3) + n(2)) / 2;
        default:
            return 0;
        }
    }
    if (c == Coord::X) {
        const double W = iX;
        const double side = dMSide;
        const auto n = [this](int p) { return pointValue(p, Coord::X); };
        switch (k) {
        case 1:
        case 4:
            return std::floor(W * side);
        case 2:
        case 3:
            return std::floor((1 - side) * W);
        case 7:
            return stored ? (n(4) + n(1)) / 2 : std::floor(W * side);
        case 8:
            return stored ? (n(3) + n(2)) / 2 : std::floor((1 - side) * W);
        case 5:
        case 6:
        case 9:
            if (!stored)
                return std::floor(W / 2);
            if (k == 6)
                return (n(2) + n(1)) / 2;
            if (k == 5)
                return (n(2) + n(1) + n(4) + n(3)) / 4;
            return (n(3) + n(4)) / 2;
        default:
            return 0;
        }
    }
    return 0;
}

void MapFile::SwapPoints(int a, int b)
{
    const int lineA = m_points[a].LineNo;
    const int lineB = m_points[b].LineNo;
    std::swap(m_points[a], m_points[b]);
    m_points[a].LineNo = lineA;
    m_points[b].LineNo = lineB;
}

void MapFile::CopyPoint(int target, const MapPoint &source)
{
    const int line = m_points[target].LineNo;
    m_points[target] = source;
    m_points[target].LineNo = line;
}

void MapFile::SortPoints()
{
    if (m_pointCount < 4)
        return;

    struct Entry
    {
        qint32 x = 0;
        qint32 y = 0;
        float key = 0;
        int slot = 0;
    };
    std::array<Entry, 11> e{};
    int n = 0;
    qint32 maxX = 0, minX = 9000, maxY = 0, minY = 9000;
    for (int i = 1; i <= m_pointCount && i <= 9; ++i) {
        const qint32 x = m_points[i].X;
        const qint32 y = m_points[i].Y;
        if (x >= 0 && y >= 0) {
            e[n] = Entry{x, y, 0, i};
            maxY = std::max(maxY, y);
            minY = std::min(minY, y);
            maxX = std::max(maxX, x);
            minX = std::min(minX, x);
            ++n;
        }
    }
    // Fewer than four points with a pixel position: no corners to name.
    if (n < 4)
        return;

    const qint32 cx = qint32(Numeric::roundHalfEven((double(maxX) + double(minX)) / 2));
    const float cy = float((double(maxY) + double(minY)) / 2);
    for (int i = 0; i < n; ++i) {
        const double dx = double(e[i].x - cx);
        const double dy = double(e[i].y) - double(cy);
        e[i].key = float(dx * dx + dy * dy);
    }
    // The four points farthest from the centre first (equal keys keep their order).
    for (bool swapped = true; swapped;) {
        swapped = false;
        for (int i = 0; i + 1 < n; ++i) {
            if (e[i].key < e[i + 1].key) {
                std::swap(e[i], e[i + 1]);
                swapped = true;
            }
        }
    }
    // The corners by their distance from the image origin.
    for (int i = 0; i < 4; ++i)
        e[i].key = float(double(e[i].x) * e[i].x + double(e[i].y) * e[i].y);
    for (bool swapped = true; swapped;) {
        swapped = false;
        for (int i = 0; i < 3; ++i) {
            if (e[i].key > e[i + 1].key) {
                std::swap(e[i], e[i + 1]);
                swapped = true;
            }
        }
    }
    const int nw = e[0].slot;
    const int ne = e[1].y < e[2].y ? e[1].slot : e[2].slot;
    const int sw = e[1].y < e[2].y ? e[2].slot : e[1].slot;
    const int se = e[3].slot;
    const std::array<int, 4> corner{nw, ne, se, sw};

    // Corners into slots 1..4 (NW, NE, SE, SW); the points they push out of
    // slots 1..4 go, in slot order, into the slots the corners leave (corner
    // slots above 4, in the order NW, NE, SE, SW). Nothing is lost or doubled.
    const std::array<MapPoint, 10> before = m_points;
    std::array<int, 4> freed{};
    int freedCount = 0;
    for (int c : corner) {
        if (c > 4)
            freed[freedCount++] = c;
    }
    int next = 0;
    for (int s = 1; s <= 4; ++s) {
        const bool isCorner = std::find(corner.begin(), corner.end(), s) != corner.end();
        if (!isCorner && next < freedCount)
            CopyPoint(freed[next++], before[s]);
    }
    for (int k = 0; k < 4; ++k)
        CopyPoint(k + 1, before[corner[k]]);

    // Inner points into the slots of the sheet points they stand for.
    for (int i = 5; i <= n && i <= 9; ++i) {
        for (int j = 5; j <= 9; ++j) {
            if (i == j)
                continue;
            // A sheet point that cannot be worked out (a 16-bit overflow) stands for none.
            try {
                const bool sameLat = newPointValue(j, Coord::Lat) == pointValue(i, Coord::Lat);
                const bool sameLon = newPointValue(j, Coord::Lon) == pointValue(i, Coord::Lon);
                if (sameLat && sameLon)
                    SwapPoints(i, j);
            } catch (...) {
            }
        }
    }
}

// --- texts: the sheet helpers do the work -------------------------------------------------

QString MapFile::Lat2Str(double lat) const
{
    return SheetText::lat(lat);
}

QString MapFile::Lon2Str(double lon) const
{
    return SheetText::lon(lon);
}

QString MapFile::getCMeridian() const
{
    return SheetText::centralMeridian(sheetFields());
}

QString MapFile::DD2Str(double d) const
{
    return SheetText::dd(d);
}

double MapFile::getScaleMP() const
{
    return SheetText::scaleMP(sheetFields());
}

QString MapFile::getMapName() const
{
    return SheetText::mapName(sheetFields());
}

qint16 MapFile::getZone() const
{
    return SheetText::zone(sheetFields());
}

QString MapFile::FormatDD(double value) const
{
    return SheetText::formatDD(value);
}

QString MapFile::projectionSetup() const
{
    return QStringLiteral("0.000000000,") + getCMeridian() + QStringLiteral(" , 1.000000000, ")
        + Numeric::zeroPad(getZone(), 2) + QStringLiteral("500000.00, 0.00,,,,,");
}

// --- new files and point lines ------------------------------------------------------------

void MapFile::CreateNew(const QString &ImgFile)
{
    // Most of a new map is the same in every file: it is built once, line by
    // line through the parser, and each new map starts from a copy of it with
    // the fields those lines gave. The lines that differ from sheet to sheet
    // are then put in through the parser in the order buildNew adds them (the
    // title line first: the projection setup line depends on the row and
    // column it gives).
    struct Template
    {
        MapFile map;
        Template()
        {
            map.iScale = 100;
            map.iRow = 14;
            map.iCol = 37;
            map.iList = 1;
            map.iX = 4000;
            map.iY = 3000;
            map.buildNew(QStringLiteral("N-37-001.jpg"));
        }
    };
    static const Template made;
    const MapFile &t = made.map;

    ResetPoints();
    m_lines.copyNew(t.m_lines);
    m_points = t.m_points;
    m_pointCount = t.m_pointCount;
    m_firstPointLine = t.m_firstPointLine;
    MMPNUM = t.MMPNUM;
    m_cornerXY[1] = t.m_cornerXY[1];
    for (int k = 1; k <= 4; ++k)
        m_cornerLL[k] = t.m_cornerLL[k];

    const QString empty;
    putNewLine(1, empty, getMapName());
    putNewLine(2, empty, ImgFile);
    putNewLine(39, QStringLiteral("Projection Setup"), projectionSetup());
    const QString w = QString::number(iX);
    const QString h = QString::number(iY);
    putNewLine(46, QStringLiteral("MMPXY"), QStringLiteral("2,") + w + QStringLiteral(",0"));
    putNewLine(47, QStringLiteral("MMPXY"), QStringLiteral("3,0,") + h);
    putNewLine(48, QStringLiteral("MMPXY"), QStringLiteral("4,") + w + u',' + h);
    putNewLine(53, QStringLiteral("MM1B"), DD2Str(getScaleMP()));
    putNewLine(55, QStringLiteral("IWH"), QStringLiteral("Map Image Width/Height,") + w + u',' + h);
}

void MapFile::putNewLine(int num, const QString &Title, const QString &body)
{
    // What AddLine(Title, body, -1) does, for a line that is already counted.
    QString title = Title;
    QString text = body;
    MapLineParser::parse(*this, title, text, num);
    m_lines.putNew(num, std::move(title), std::move(text), Encoding);
}

void MapFile::buildNew(const QString &ImgFile)
{
    ResetPoints();
    m_lines.setEol(QByteArrayLiteral("\r\n"));
    m_lines.reserve(4096, 72); // a new map with its points and grid
    const QString empty;
    AddLine(empty, QStringLiteral("OziExplorer Map Data File Version 2.2"), -1);
    AddLine(empty, getMapName(), -1);
    AddLine(empty, ImgFile, -1);
    AddLine(empty, QStringLiteral("1 ,Map Code,"), -1);
    AddLine(empty, QStringLiteral("Pulkovo 1942 (1),WGS 84,   0.0000,   0.0000,WGS 84"), -1);
    AddLine(empty, QStringLiteral("Reserved 1"), -1);
    AddLine(empty, QStringLiteral("Reserved 2"), -1);
    AddLine(empty, QStringLiteral("Magnetic Variation, , , E"), -1);
    AddLine(empty, QStringLiteral("Map Projection,") + QLatin1String(MapLineParser::kTransverseMercator), -1);
    for (int n = 1; n <= 30; ++n)
        AddLine(pointTitle(n), QStringLiteral("xy,,,in, deg,,,,,,, grid,,,,"), -1);
    AddLine(QStringLiteral("Projection Setup"), projectionSetup(), -1);
    AddLine(QStringLiteral("Map Feature = MF ; Map Comment = MC These follow if they exist"), empty, -1);
    AddLine(QStringLiteral("Track File = TF These follow if they exist"), empty, -1);
    AddLine(QStringLiteral("Moving Map Parameters = MM? These follow if they exist"), empty, -1);
    AddLine(QStringLiteral("MM0"), QStringLiteral("Yes"), -1);
    AddLine(QStringLiteral("MMPNUM"), QStringLiteral("4"), -1);
    const QString w = QString::number(iX);
    const QString h = QString::number(iY);
    AddLine(QStringLiteral("MMPXY"), QStringLiteral("1,0,0"), -1);
    AddLine(QStringLiteral("MMPXY"), QStringLiteral("2,") + w + QStringLiteral(",0"), -1);
    AddLine(QStringLiteral("MMPXY"), QStringLiteral("3,0,") + h, -1);
    AddLine(QStringLiteral("MMPXY"), QStringLiteral("4,") + w + u',' + h, -1);
    for (int k = 1; k <= 4; ++k)
        AddLine(QStringLiteral("MMPLL"), QString::number(k) + u',' + DD2Str(0) + u',' + DD2Str(0), -1);
    AddLine(QStringLiteral("MM1B"), DD2Str(getScaleMP()), -1);
    AddLine(QStringLiteral("MOP"), QStringLiteral("Map Open Position,0,0"), -1);
    AddLine(QStringLiteral("IWH"), QStringLiteral("Map Image Width/Height,") + w + u',' + h, -1);
}

int MapFile::SetPoint(int k, bool fCanCreateNew)
{
    if (k < 1 || k > 9)
        throw MapError(QCoreApplication::translate("MapFile", "Subscript out of range: point %1").arg(k));
    // Point k's line is found by its offset from the first point line; it
    // must really be that point's line, or another line would be overwritten.
    if (m_firstPointLine == 0)
        throw MapError(QCoreApplication::translate("MapFile", "The map has no point lines: Point%1 cannot be written").arg(Numeric::zeroPad(k, 2)));
    const int target = m_firstPointLine + k - 1;
    const QString title = pointTitle(k);
    const char key[] = {'P', 'O', 'I', 'N', 'T', '0', char('0' + k)};
    if (target >= lineCount() || !lineTitleIs(target, QLatin1StringView(key, sizeof key)))
        throw MapError(QCoreApplication::translate("MapFile", "The map has no line %1 where it is expected (line %2)").arg(title).arg(target));

    double X = 0, Y = 0, Lat = 0, Lon = 0;
    int tag = -1;
    if (pointValue(k, Coord::Lat) != 0 || pointValue(k, Coord::Lon) != 0) {
        X = HasFrameCorners ? newPointValue(k, Coord::X) : pointValue(k, Coord::X);
        Y = HasFrameCorners ? newPointValue(k, Coord::Y) : pointValue(k, Coord::Y);
        Lat = pointValue(k, Coord::Lat);
        Lon = pointValue(k, Coord::Lon);
        tag = 0;
    } else if (fCanCreateNew) {
        X = newPointValue(k, Coord::X);
        Y = newPointValue(k, Coord::Y);
        Lat = newPointValue(k, Coord::Lat);
        Lon = newPointValue(k, Coord::Lon);
    } else {
        return k;
    }
    // One allocation for the whole line (QStringBuilder).
    const QString body = QStringLiteral("xy,") % wholeNumber(X) % QLatin1Char(',') % wholeNumber(Y)
        % QLatin1StringView(",in, deg,") % Lat2Str(Lat) % QLatin1Char(',') % Lon2Str(Lon)
        % QLatin1StringView(", grid,,,,N");
    SetLine(target, title, body, tag, true);
    return k + 1;
}

bool MapFile::PlacePoint(int k, double x, double y)
{
    const MapPoint &p = point(k);
    if (p.Lat == 0 && p.Lon == 0)
        return false;
    const qint16 px = Numeric::toInt16(x);
    const qint16 py = Numeric::toInt16(y);
    m_points[k].X = px;
    m_points[k].Y = py;
    SetPoint(k, false);
    return true;
}
