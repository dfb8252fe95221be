#pragma once

#include <QPointF>
#include <QSize>
#include <QString>

#include <array>
#include <vector>

// What one map file of a folder says about its sheet, read without decoding
// the image: its image (the file name of the image line, looked up beside the
// map file as map readers do), the calibration points and the image's size
// from its header.
struct SheetRecord
{
    QString mapPath;        // the map file
    QString imageName;      // the file name the image line names
    QString imagePath;      // the image beside the map file; empty when it is missing
    QString sheetName;      // the map's title line
    QString scaleText;      // "1:100K" as guessed from the image name; empty when unknown
    bool readable = false;  // the file is an OziExplorer map file that could be read
    QString error;          // why not, when it is not readable
    int positionedPoints = 0; // calibration points 1..9 with a pixel position
    // Why the points cannot give the corners as they stand in the file (a
    // point beyond 32767, a blank Point04, ...); empty when they can.
    QString cornerProblem;
    // The corners NW, NE, SE, SW (points 1..4) in image pixels; meaningful
    // when positionedPoints >= 4.
    std::array<QPointF, 4> corners{};
    // Every calibration point with a pixel position (1..9), for drawing.
    std::vector<QPointF> points;
    // The corners' latitude and longitude (points 1..4), for the coverage view.
    std::array<QPointF, 4> cornersLonLat{};
    // The image's pixel size from its header; empty when the header tells none.
    QSize imageSize;

    // Reads one map file; never throws (a failure is `error`).
    static SheetRecord read(const QString &mapPath);
    // The image a map names, looked up in the map's folder: the exact name
    // first, then the same name without regard to case. Empty when missing.
    static QString findImage(const QString &mapFolder, const QString &imageName);
};
