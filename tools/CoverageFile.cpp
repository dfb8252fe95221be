#include "tools/CoverageFile.h"

#include "sheet/MapError.h"
#include "mapfile/MapFile.h"
#include "sheet/SheetGeometry.h"
#include "sheet/SheetText.h"
#include "sheet/Global.h"
#include "sheet/SheetIdentity.h"
#include "sheet/SheetName.h"
#include "tools/CornerPoints.h"
#include "tools/FolderListing.h"
#include "tools/RunObserver.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <QXmlStreamWriter>

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

const QString kWarning = QStringLiteral("Warning");

// A usable corner: a pixel position and a place that is a real coordinate
// (an unset point line reads as 0, 0).
bool usable(const MapPoint &p)
{
    return p.X >= 0 && p.Y >= 0 && std::isfinite(p.Lat) && std::isfinite(p.Lon) && !(p.Lat == 0 && p.Lon == 0)
           && std::fabs(p.Lat) <= 90 && std::fabs(p.Lon) <= 180;
}

QString numberText(double v)
{
    return QString::number(v, 'f', 7);
}

void warn(RunObserver &observer, const QString &text)
{
    observer.message(text, kWarning, RunObserver::Icon::Warning);
}

// One file's feature: true with `feature` filled in, or false after a warning
// that names the file and says why it is left out.
using FeatureOf = std::function<bool(const QString &name, CoverageFile::Feature &feature)>;

// The walk both coverages make: the files of `folder` that `wanted` takes, in
// the folder's order, with progress and cancellation; a name that cannot be
// read is left out with a warning before the others.
QList<CoverageFile::Feature> coverage(const QString &folder, RunObserver &observer,
                                      const std::function<bool(const QString &name)> &wanted,
                                      const FeatureOf &featureOf, int *leftOut)
{
    QList<CoverageFile::Feature> out;
    int skipped = 0;
    QStringList unreadable;
    const QStringList files = FolderListing::files(folder, &unreadable);
    for (const QString &name : std::as_const(unreadable)) {
        if (!wanted(name))
            continue;
        warn(observer, FolderListing::unreadableNameMessage(folder, name) + QStringLiteral("; left out of the coverage"));
        ++skipped;
    }
    for (int i = 0; i < files.size(); ++i) {
        const QString &name = files.at(i);
        if (!wanted(name))
            continue;
        if (observer.isCancelled())
            break;
        observer.progress(i + 1, int(files.size()), name);
        CoverageFile::Feature feature;
        if (featureOf(name, feature))
            out.append(feature);
        else
            ++skipped;
    }
    if (leftOut)
        *leftOut = skipped;
    return out;
}

// The feature of a map file, through its points 1..4.
bool featureOfMap(const QString &folder, const QString &name, RunObserver &observer, CoverageFile::Feature &f)
{
    try {
        MapFile map;
        map.KeepReadLines = true;
        map.ReadMap(FolderListing::join(folder, name));
        // Points read as they stand, Point01..Point04 among them: a blank
        // Point04 would make the centre point a corner.
        if (const QString why = CornerPoints::problem(map, CornerPoints::Check::PixelsAndDegrees); !why.isEmpty()) {
            warn(observer, QStringLiteral("Map %1 has no four usable points (1..4): %2; left out of the coverage")
                               .arg(name, why));
            return false;
        }
        bool ok = map.pointCount() >= 4;
        for (int k = 1; ok && k <= 4; ++k) {
            const MapPoint &p = map.point(k);
            ok = usable(p);
            f.lat[k - 1] = p.Lat;
            f.lon[k - 1] = p.Lon;
        }
        if (!ok) {
            warn(observer, QStringLiteral("Map %1 has no four usable points (1..4): left out of the coverage").arg(name));
            return false;
        }
        f.sheet = map.MapName;
        f.map = name;
        f.image = map.ImageName;
        const int scale = SheetName::read(map.MapName, SheetName::ByName, QString()).nameScale;
        f.scale = scale == 0 ? QString() : Global::scaleText(scale);
        return true;
    } catch (const MapError &e) {
        warn(observer, QStringLiteral("Map %1 cannot be read: %2; left out of the coverage").arg(name, e.text()));
        return false;
    }
}

// The feature of a sheet image, by its name.
bool featureOfName(const QString &name, RunObserver &observer, CoverageFile::Feature &f)
{
    const SheetName sheetName = SheetName::read(name, SheetName::ByName, QString());
    if (sheetName.nameScale == 0) {
        warn(observer, QStringLiteral("%1 is not a sheet name: left out of the coverage").arg(name));
        return false;
    }
    const SheetIdentity &id = sheetName.id;
    if (id.ok() && !sheetName.warning.isEmpty())
        warn(observer, name + QStringLiteral(": ") + sheetName.warning);
    if (!id.ok()) {
        warn(observer, id.error + QStringLiteral(": left out of the coverage"));
        return false;
    }
    SheetFields s = id.fields();
    try {
        for (int k = 1; k <= 4; ++k) {
            f.lat[k - 1] = SheetGeometry::latitude(s, k);
            f.lon[k - 1] = SheetGeometry::longitude(s, k);
        }
        f.sheet = SheetText::mapName(s);
        f.image = name;
        f.scale = Global::scaleText(id.scale);
        return true;
    } catch (const MapError &e) {
        warn(observer, name + QLatin1String(": ") + e.text());
        return false;
    }
}

} // namespace

QList<QPair<double, double>> CoverageFile::ring(const Feature &f)
{
    // Corners in their order round the sheet, then turned counter-clockwise
    // (positive area with longitude as x and latitude as y).
    QList<QPair<double, double>> r;
    for (int i = 0; i < 4; ++i)
        r.append({f.lon[i], f.lat[i]});
    double area = 0;
    for (int i = 0; i < 4; ++i) {
        const auto &a = r[i];
        const auto &b = r[(i + 1) % 4];
        area += a.first * b.second - b.first * a.second;
    }
    if (area < 0)
        std::reverse(r.begin(), r.end());
    r.append(r.first());
    return r;
}

QList<CoverageFile::Feature> CoverageFile::fromMaps(const QString &folder, RunObserver &observer, int *leftOut)
{
    return coverage(
        folder, observer, [](const QString &name) { return Global::getExtension(name).toUpper() == QLatin1String("MAP"); },
        [&](const QString &name, Feature &f) { return featureOfMap(folder, name, observer, f); }, leftOut);
}

QList<CoverageFile::Feature> CoverageFile::fromNames(const QString &folder, RunObserver &observer, int *leftOut)
{
    static const QStringList kinds = {"JPG", "PNG", "BMP", "GIF", "TIF", "KAP", "CAP",
                                      "OZF", "ECW", "SID", "OZF2", "OZF3"};
    return coverage(
        folder, observer, [](const QString &name) { return kinds.contains(Global::getExtension(name).toUpper()); },
        [&](const QString &name, Feature &f) { return featureOfName(name, observer, f); }, leftOut);
}

QByteArray CoverageFile::geoJson(const QList<Feature> &features)
{
    QJsonArray list;
    for (const Feature &f : features) {
        QJsonArray coords;
        for (const auto &p : ring(f))
            coords.append(QJsonArray{p.first, p.second});
        QJsonObject geometry{{"type", "Polygon"}, {"coordinates", QJsonArray{coords}}};
        QJsonObject properties{{"sheet", f.sheet}, {"map", f.map}, {"image", f.image}, {"scale", f.scale}};
        list.append(QJsonObject{{"type", "Feature"}, {"properties", properties}, {"geometry", geometry}});
    }
    const QJsonObject collection{{"type", "FeatureCollection"}, {"features", list}};
    return QJsonDocument(collection).toJson(QJsonDocument::Indented);
}

QByteArray CoverageFile::kml(const QList<Feature> &features)
{
    QByteArray bytes;
    QXmlStreamWriter w(&bytes);
    w.setAutoFormatting(true);
    w.writeStartDocument();
    w.writeStartElement(QStringLiteral("kml"));
    w.writeDefaultNamespace(QStringLiteral("http://www.opengis.net/kml/2.2"));
    w.writeStartElement(QStringLiteral("Document"));
    w.writeTextElement(QStringLiteral("name"), QStringLiteral("Coverage"));
    for (const Feature &f : features) {
        w.writeStartElement(QStringLiteral("Placemark"));
        w.writeTextElement(QStringLiteral("name"), f.sheet);
        w.writeStartElement(QStringLiteral("ExtendedData"));
        const QPair<QString, QString> data[] = {
            {"sheet", f.sheet}, {"map", f.map}, {"image", f.image}, {"scale", f.scale}};
        for (const auto &d : data) {
            w.writeStartElement(QStringLiteral("Data"));
            w.writeAttribute(QStringLiteral("name"), d.first);
            w.writeTextElement(QStringLiteral("value"), d.second);
            w.writeEndElement();
        }
        w.writeEndElement(); // ExtendedData
        w.writeStartElement(QStringLiteral("Polygon"));
        w.writeStartElement(QStringLiteral("outerBoundaryIs"));
        w.writeStartElement(QStringLiteral("LinearRing"));
        QStringList coords;
        for (const auto &p : ring(f))
            coords.append(numberText(p.first) + QLatin1Char(',') + numberText(p.second));
        w.writeTextElement(QStringLiteral("coordinates"), coords.join(QLatin1Char(' ')));
        w.writeEndElement(); // LinearRing
        w.writeEndElement(); // outerBoundaryIs
        w.writeEndElement(); // Polygon
        w.writeEndElement(); // Placemark
    }
    w.writeEndElement(); // Document
    w.writeEndElement(); // kml
    w.writeEndDocument();
    return bytes;
}
