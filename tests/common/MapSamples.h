#pragma once

#include "mapfile/MessageObserver.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

// Map files for the map file tests, laid out the way OziExplorer writes them.
namespace MapSamples {

// Point line bodies by point number; points not given get the empty template.
using PointBodies = QMap<int, QByteArray>;

inline QByteArray emptyPointBody()
{
    return "xy,     ,     ,in, deg,    ,        ,N,    ,        ,E, grid,   ,           ,           ,N";
}

// A point body in OziExplorer's padded layout.
inline QByteArray pointBody(int x, int y, int latDeg, const char *latMin, char ns, int lonDeg, const char *lonMin, char ew)
{
    return QByteArray("xy,") + QByteArray::number(x).rightJustified(5, ' ') + ','
        + QByteArray::number(y).rightJustified(5, ' ') + ",in, deg," + QByteArray::number(latDeg).rightJustified(4, ' ')
        + ',' + QByteArray(latMin).rightJustified(8, ' ') + ',' + ns + ','
        + QByteArray::number(lonDeg).rightJustified(4, ' ') + ',' + QByteArray(lonMin).rightJustified(8, ' ') + ','
        + ew + ", grid,   ,           ,           ,N";
}

struct Options
{
    QByteArray title = "N-37-001.jpg";
    QByteArray image = "C:\\maps\\N-37-001.jpg";
    QByteArray projection = "Transverse Mercator";
    QByteArray eol = "\r\n";
    PointBodies points;
};

// Line index 9 is Point01, 39 Projection Setup, 45..48 MMPXY, 49..52 MMPLL; 56 lines.
inline QList<QByteArray> sheetLines(const Options &o)
{
    QList<QByteArray> lines{
        "OziExplorer Map Data File Version 2.2",
        o.title,
        o.image,
        "1 ,Map Code,",
        "Pulkovo 1942 (1),WGS 84,   0.0000,   0.0000,WGS 84",
        "Reserved 1",
        "Reserved 2",
        "Magnetic Variation,,,E",
        "Map Projection," + o.projection + ",PolyCal,No,AutoCalOnly,No,BSBUseWPX,No",
    };
    for (int n = 1; n <= 30; ++n)
        lines.append("Point" + QByteArray::number(n).rightJustified(2, '0') + ','
                     + o.points.value(n, emptyPointBody()));
    lines << "Projection Setup, 0.0000000000, 39.000000000, 1.0000000000, 7500000.00, 0.00,,,,"
          << "Map Feature = MF ; Map Comment = MC     These follow if they exist"
          << "Track File = TF      These follow if they exist"
          << "Moving Map Parameters = MM?    These follow if they exist"
          << "MM0,Yes"
          << "MMPNUM,4"
          << "MMPXY,1,0,0" << "MMPXY,2,1000,0" << "MMPXY,3,1000,800" << "MMPXY,4,0,800"
          << "MMPLL, 1,  36.000000,  56.000000" << "MMPLL, 2,  36.500000,  56.000000"
          << "MMPLL, 3,  36.500000,  55.666667" << "MMPLL, 4,  36.000000,  55.666667"
          << "MM1B,14.826667"
          << "MOP,Map Open Position,0,0"
          << "IWH,Map Image Width/Height,1000,800";
    return lines;
}

inline QByteArray join(const QList<QByteArray> &lines, const QByteArray &eol, bool finalEol = true)
{
    QByteArray out;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        out += lines.at(i);
        if (finalEol || i + 1 < lines.size())
            out += eol;
    }
    return out;
}

inline QByteArray sheetMap(const Options &o = Options())
{
    return join(sheetLines(o), o.eol);
}

// Records the messages of the title line.
class Messages : public MessageObserver
{
public:
    struct Entry
    {
        QString text;
        QString caption;
        Icon icon;
    };
    QList<Entry> entries;
    void message(const QString &text, const QString &caption, Icon icon) override
    {
        entries.append({text, caption, icon});
    }
};

} // namespace MapSamples
