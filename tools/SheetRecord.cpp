#include "tools/SheetRecord.h"

#include "imageinfo/CImageInfo.h"
#include "sheet/MapError.h"
#include "mapfile/MapFile.h"
#include "sheet/Global.h"
#include "sheet/SheetName.h"
#include "tools/CornerPoints.h"
#include "tools/FolderListing.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <exception>

QString SheetRecord::findImage(const QString &mapFolder, const QString &imageName)
{
    if (imageName.isEmpty())
        return QString();
    const QString exact = FolderListing::join(mapFolder, imageName);
    if (QFileInfo(exact).isFile())
        return exact;
    for (const QString &name : FolderListing::files(mapFolder)) {
        if (name.compare(imageName, Qt::CaseInsensitive) == 0)
            return FolderListing::join(mapFolder, name);
    }
    return QString();
}

SheetRecord SheetRecord::read(const QString &mapPath)
{
    SheetRecord r;
    r.mapPath = mapPath;
    MapFile map;
    map.KeepReadLines = true;
    try {
        map.ReadMap(mapPath);
    } catch (const MapError &e) {
        r.error = e.text();
        return r;
    } catch (const std::exception &e) {
        r.error = QString::fromLocal8Bit(e.what());
        return r;
    }
    if (!map.hasHeader()) {
        r.error = QCoreApplication::translate("SheetRecord", "not an OziExplorer map file");
        return r;
    }
    r.readable = true;
    r.sheetName = map.MapName;
    r.imageName = map.ImageName;
    r.imagePath = findImage(QFileInfo(mapPath).path(), r.imageName);
    const QString base = Global::getNameNoExt(r.imageName.isEmpty() ? QFileInfo(mapPath).fileName() : r.imageName);
    r.scaleText = Global::scaleText(SheetName::read(base, SheetName::ByName, QString()).nameScale).trimmed();
    if (r.sheetName.isEmpty())
        r.sheetName = base;

    for (int k = 1; k <= 9 && k <= map.pointCount(); ++k) {
        const MapPoint &p = map.point(k);
        if (p.LineNo == 0 || p.X < 0 || p.Y < 0)
            continue;
        ++r.positionedPoints;
        r.points.emplace_back(p.X, p.Y);
    }
    r.cornerProblem = CornerPoints::problem(map, CornerPoints::Check::Pixels);
    if (map.pointCount() >= 4) {
        for (int k = 1; k <= 4; ++k) {
            const MapPoint &p = map.point(k);
            r.corners[k - 1] = QPointF(p.X, p.Y);
            r.cornersLonLat[k - 1] = QPointF(p.Lon, p.Lat);
        }
    }
    if (!r.imagePath.isEmpty()) {
        CImageInfo info;
        if (info.ReadImageInfo(r.imagePath) && info.Width() > 0 && info.Height() > 0)
            r.imageSize = QSize(info.Width(), info.Height());
    }
    return r;
}
