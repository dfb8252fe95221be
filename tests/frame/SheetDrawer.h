#pragma once

#include <QPointF>
#include <QString>

#include <array>

// Draws scans of map sheets with known inner frame corners, and images that
// are no sheets, for the frame finder's tests and benchmark. A sheet is drawn
// on paper in millimetres (collar, thick outer frame, minute frame with its
// bars and 10-second dots, label band with grid numbers and the corner
// coordinates, inner frame whose lines run on out to the minute frame, and a
// map with its slightly turned kilometre grid, roads, contours and tints),
// then "scanned": turned, shrunk unevenly, blurred, stained, folded, cropped,
// reduced to a palette or to grey, saved as JPEG, PNG, TIFF or GIF.
struct SheetScan
{
    QString sheetName = QStringLiteral("N-44-126"); // 1:100K, R-CC-LLL
    int scale = 100;           // thousands
    int longSide = 2400;       // pixels of the image's longer side
    unsigned seed = 1;
    double rotation = 0.6;     // degrees, clockwise on the image
    double shrinkX = 1.0;      // paper shrink across / down
    double shrinkY = 1.0;
    double gridTurn = 1.3;     // kilometre grid against the frame, degrees
    double blur = 0.0;         // Gaussian sigma, pixels
    double noise = 2.0;        // sensor noise sigma, grey levels
    bool colour = false;       // drawn in colour (else grey)
    bool stains = false;
    bool folds = false;
    bool cropAtOuterFrame = false;
    bool roadsAlongFrame = false;
    bool unevenLight = false;
    bool greyScan = false;     // drawn in colour, scanned to grey
    bool yellowed = false;     // aged paper and faded ink (drawn in colour)
    double dotRadius = 0.12;   // the minute frame's 10-second dots, mm
    bool labelsAtCorner = false; // corner coordinates right at the corner, against the frame line
    double cropInto = 0;       // crop this far (mm) into the outer frame line on the north and west
    bool roadAlongEdges = false; // double-line roads a few pixels inside the north and east edges, whole length
    int paletteColours = 0;    // > 0: reduced to this many grey levels (GIF)
    QString format = QStringLiteral("png"); // png, jpg, tif, bmp, gif
    int jpegQuality = 85;
};

// Images that are no sheets: a blank page, a page of text, a photo-like
// blur of shapes, a map fragment without a frame, a ruled table of lines with
// a heavy border, a photograph of a building's front, a map fragment whose
// kilometre grid runs square to the image.
enum class NonSheet { Blank, Text, Photo, MapFragment, Table, Building, MapGrid };

class SheetDrawer
{
public:
    // Writes the scan into `folder` as <sheetName>.<format>; `corners` get the
    // true inner frame corners NW, NE, SE, SW (pixel centres at whole numbers).
    static QString drawSheet(const SheetScan &scan, const QString &folder, std::array<QPointF, 4> *corners,
                             const QString &baseName = QString());
    static QString drawNonSheet(NonSheet kind, int width, int height, unsigned seed, const QString &folder,
                                const QString &baseName, const QString &format = QStringLiteral("png"));
};
