#include "tools/CornerPoints.h"

#include "mapfile/MapFile.h"
#include "sheet/Numeric.h"

#include <QCoreApplication>
#include <QStringList>

#include <cmath>

namespace {

// The image size of the map's IWH line ("IWH,Map Image Width/Height,W,H"); 0 when it has none.
void imageSize(const MapFile &map, double &width, double &height)
{
    width = height = 0;
    for (int i = 1; i < map.lineCount(); ++i) {
        const MapLine line = map.line(i);
        if (line.Title.trimmed().compare(QLatin1String("IWH"), Qt::CaseInsensitive) != 0)
            continue;
        const QStringList f = line.Body.split(QLatin1Char(','));
        if (f.size() < 3 || !Numeric::strictNumber(f.at(1), width) || !Numeric::strictNumber(f.at(2), height)
            || width <= 0 || height <= 0)
            width = height = 0;
        return;
    }
}

// One number of a point line: "" when it is fine, else what is wrong with it.
QString numberProblem(const QString &point, const QString &what, const QString &text, double low, double high,
                      double &value)
{
    if (text.trimmed().isEmpty())
        return QCoreApplication::translate("CornerPoints", "%1 has no %2").arg(point, what);
    if (!Numeric::strictNumber(text, value))
        return QCoreApplication::translate("CornerPoints", "%1's %2 \"%3\" is not a number").arg(point, what, text.trimmed());
    if (value < low || value > high)
        return QCoreApplication::translate("CornerPoints", "%1's %2 \"%3\" is not within %4..%5").arg(point, what, text.trimmed()).arg(low).arg(high);
    return QString();
}

} // namespace

QString CornerPoints::problem(const MapFile &map, Check check)
{
    double width = 0, height = 0;
    imageSize(map, width, height);
    for (int k = 1; k <= 9; ++k) {
        const QString point = QStringLiteral("Point0%1").arg(k);
        const int lineNo = map.point(k).LineNo;
        if (lineNo <= 0) {
            if (k <= 4)
                return QCoreApplication::translate("CornerPoints", "%1 is missing").arg(point);
            continue;
        }
        // Point01,xy,X,Y,in,deg,LATD,LATM,N,LOND,LONM,E,...
        const QStringList f = map.line(lineNo).Body.split(QLatin1Char(','));
        const QString x = f.value(1);
        const bool noPixel = x.trimmed().isEmpty() || f.value(3).trimmed().compare(QLatin1String("ex"), Qt::CaseInsensitive) == 0;
        if (noPixel) {
            if (k <= 4)
                return QCoreApplication::translate("CornerPoints", "%1 has no pixel position").arg(point);
            continue;
        }
        double vx = 0, vy = 0;
        QString why = numberProblem(point, QStringLiteral("x"), x, 0, 32767, vx);
        if (why.isEmpty())
            why = numberProblem(point, QStringLiteral("y"), f.value(2), 0, 32767, vy);
        if (!why.isEmpty())
            return why;
        if (width > 0 && (vx > width || vy > height))
            return QCoreApplication::translate("CornerPoints", "%1 (%2, %3) lies beyond the image (%4 x %5)").arg(point).arg(vx).arg(vy).arg(width).arg(height);
        if (check == Check::Pixels)
            continue;
        double latD = 0, latM = 0, lonD = 0, lonM = 0;
        why = numberProblem(point, QCoreApplication::translate("CornerPoints", "latitude"), f.value(5), -90, 90, latD);
        if (why.isEmpty())
            why = numberProblem(point, QCoreApplication::translate("CornerPoints", "latitude minutes"), f.value(6).trimmed().isEmpty() ? QStringLiteral("0") : f.value(6), 0, 60, latM);
        if (why.isEmpty())
            why = numberProblem(point, QCoreApplication::translate("CornerPoints", "longitude"), f.value(8), -180, 180, lonD);
        if (why.isEmpty())
            why = numberProblem(point, QCoreApplication::translate("CornerPoints", "longitude minutes"), f.value(9).trimmed().isEmpty() ? QStringLiteral("0") : f.value(9), 0, 60, lonM);
        if (!why.isEmpty())
            return why;
    }
    return QString();
}
