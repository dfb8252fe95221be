#pragma once

#include "tools/MapCreatorOptions.h"

#include <QString>
#include <QStringList>

// Guessing the map creator's options from the first images of a folder, so
// that every front end guesses alike.
class MapCreatorGuess
{
public:
    // How many of a folder's first images tell whether its names differ in scale.
    static constexpr int FirstNames = 10;

    // The first `count` images of the folder in listing order whose names
    // match one of *.jpg *.bmp *.png *.gif *.tif *.kap *.cap *.ozf *.ecw *.sid,
    // the extension in any case (scanners write "N-37-001.JPG").
    static QStringList getFirstImages(const QString &folder, int count);
    // The first of them; "" when none.
    static QString getFirstImage(const QString &folder);

    // Sets scale, grid mode, point count and mask from a sheet name; what the
    // name does not tell stays as it is. A scale read from each name ("auto")
    // stays so. The point count is the options' own for the name's scale
    // (pointsOfScale), else defaultPoints(). Returns whether the scale was recognised.
    static bool setByImageName(const QString &fileName, MapCreatorOptions &options);

    // setByImageName() on the folder's first image; the scale becomes "auto"
    // (each file's own) when the scales of its first names differ. Returns
    // the first image, "" when the folder has none.
    static QString setByFolder(const QString &folder, MapCreatorOptions &options);

    // The scale (thousands) a sheet name reads as, 0 when none.
    static int scaleOfName(const QString &fileName);

    // The point count a scale (thousands) gets unless one is stored for it:
    // 4 at 1:50K and below, 5 above.
    static QString defaultPoints(int scale);
};
