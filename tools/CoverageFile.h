#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class RunObserver;

// Coverage files of a folder of sheets: one polygon per map file, through its
// corner points 1..4 in degrees, with the properties sheet, map, image and
// scale; or, from the image files of a folder, one polygon per sheet name.
// Written as GeoJSON (longitude first, ring closed and counter-clockwise) or
// KML (one placemark per sheet, named after it), in UTF-8.
class CoverageFile
{
public:
    struct Feature
    {
        QString sheet;
        QString map;
        QString image;
        QString scale;       // "1:100K", empty when the name gives none
        double lat[4] = {};  // corners in any order round the sheet
        double lon[4] = {};
    };

    enum class Format { GeoJson, Kml };

    // The map files of `folder`; a file without four usable points (or that
    // cannot be read) gets a warning naming it and is left out.
    static QList<Feature> fromMaps(const QString &folder, RunObserver &observer, int *leftOut = nullptr);
    // The sheet images of `folder` (the map creator's image kinds), by their
    // names; a name that is not a sheet gets a warning and is left out.
    static QList<Feature> fromNames(const QString &folder, RunObserver &observer, int *leftOut = nullptr);

    static QByteArray geoJson(const QList<Feature> &features);
    static QByteArray kml(const QList<Feature> &features);

    // The ring of a feature: five [lon, lat] points, closed, counter-clockwise.
    static QList<QPair<double, double>> ring(const Feature &feature);
};
