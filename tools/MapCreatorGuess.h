#pragma once

#include "tools/MapCreatorOptions.h"

#include <QString>

#include <functional>

// Guessing the map creator's options from the first image of a folder, so the
// window and the command line guess alike.
class MapCreatorGuess
{
public:
    // Reads a stored value: (key, default) -> value. The window passes the
    // settings file; a caller without settings passes nothing (defaults).
    using SettingReader = std::function<QString(const QString &key, const QString &def)>;

    // The first image of the folder in listing order that matches one of
    // *.jpg *.bmp *.png *.gif *.TIF *.KAP *.CAP *.OZF *.ECW *.SID (case-sensitive); "" when none.
    static QString getFirstImage(const QString &folder);

    // Sets scale, grid mode, point count and mask from a sheet name; what the
    // name does not tell stays as it is. Returns whether the scale was recognised.
    static bool setByImageName(const QString &fileName, MapCreatorOptions &options,
                               const SettingReader &readSetting = {});
};
