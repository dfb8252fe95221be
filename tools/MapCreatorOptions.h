#pragma once

#include "mapfile/MapTextEncoding.h"
#include "tools/SheetCorners.h"

#include <QMap>
#include <QString>

// The options of one map creator run, as texts the way a user gives them.
struct MapCreatorOptions
{
    QString inFolder;            // folder of sheet images
    QString outFolder;           // folder for the map files
    // "1:1M", "1:500K", "1:200K", "1:100K", "1:50K", "1:25K", "1:10K", or "auto":
    // each file at the scale its own name reads as ("By name").
    QString scaleText = "1:1M";
    // The scale was guessed from the folder's names, not chosen: a name that
    // reads two ways is calibrated at it with a warning that names the other reading.
    bool scaleGuessed = false;
    QString maskText = "RCC-LLL";// "RCC-LLL" or "R-CC-LLL"
    QString pointsText = "5";    // "4", "5" or "9"
    // The point count kept for sheets of each scale (thousands -> "4"). With
    // the scale read from each name every sheet takes its scale's, a scale not
    // here pointsText; a guessed scale brings its own (MapCreatorGuess).
    QMap<int, QString> pointsOfScale;
    int gridMode = 2;            // 2 latitude/longitude grid, 1 metric grid, 0 none
    QString marginTop = "5";     // percent texts
    QString marginBottom = "5";
    QString marginSide = "3";
    bool skipExisting = false;   // leave existing map files untouched
    // The text encoding of new map files; an existing file keeps its own.
    MapTextEncoding::Kind encoding = MapTextEncoding::Windows1251;
    // When set, the sheet frame is looked for in each image: found corners
    // become points 1..4 and the corner markers, else the margins are used
    // and a warning says why. Unset, map files are made from the margins alone.
    CornerSource findFrame;
};
