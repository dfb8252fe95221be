#pragma once

#include <QPointF>
#include <QString>

#include <array>

// How a sheet is printed and then scanned, for the printed style of drawing
// (SheetScan::print.dpi > 0). Lengths are millimetres on paper unless named
// otherwise; edges are numbered 0 north, 1 east, 2 south, 3 west.
struct SheetPrint
{
    enum Bars { Filled, Hollow, Hatched, Ticks };

    double dpi = 0;              // scan resolution; 0: the fixed style of SheetScan
    // The frame, outwards from the inner line.
    double innerPen = 0.12;      // inner frame line width
    double innerRunOn = 5.0;     // the inner lines run on past the corners this far
    double band = 7.0;           // inner line to the minute bar strip (the label band)
    int minuteEdges = 0xF;       // bit e: edge e has its minute bar strip
    Bars bars = Filled;          // every other minute of the strip: filled, hollow (two thin
                                 // lines), hatched grey; or graticule ticks instead of bars
    double strip = 0.7;          // the strip between its two thin lines
    double stripPen = 0.08;      // those two lines
    double hollowGap = 0.2;      // a hollow bar's gap between its two lines
    bool dots = true;            // a row of dots every 10 seconds outside the strip
    double dotsOut = 0.9;        // that row's distance outside the strip
    double outerGap = 3.0;       // strip (or band) to the outer frame line
    double outerPen = 0.9;       // outer frame line width
    bool outerDithered = false;  // the outer line printed as a halftone grey
    bool numberBreak = false;    // the sheet number breaks the outer line mid north
    double numberHeight = 2.6;   // bold kilometre numbers in the band
    bool numbersOutside = false; // the corner kilometre values written outside the outer line
    bool curved = false;         // north and south edges are arcs (small scales)
    // The paper and the scan's crop: per edge, from the outer line's outside
    // outwards (negative: into the frame).
    std::array<double, 4> paperEdge{{28, 12, 40, 12}};
    std::array<double, 4> crop{{32, 15, 44, 15}};
    // Ink and paper.
    int paper = 250;             // paper brightness
    int frameInk = 20;           // grey value of the frame's ink at full strength
    int frameHue = 0;            // 0 black, 1 blue, 2 brown
    double fade = 0;             // 0 .. 0.5: ink washed towards the paper
    // The map.
    bool grid = true;            // kilometre grid (graticule lines at small scales)
    double gridTurn = 0;         // grid against the frame, degrees (the grid convergence)
    bool tints = true;           // forest and other tints reaching the frame
    bool patterns = true;        // dot and dash patterns (sand, marsh)
    int water = 0;               // 0 none, 1 lakes, 2 sea over a large part
    int edgeRoads = 0;           // bit e: a double-line road along edge e
    double edgeRoadIn = 1.0;     // its near line's distance inside the inner line
    bool edgeRoadWhole = false;  // along the whole edge (else part of it)
    bool watermark = false;      // semi-transparent text across the map
    bool content = true;         // false: frame and collar only (a clean drawing)
    // The scan.
    double shear = 0;            // the image's y axis against its x axis, degrees
    double keystone = 0;         // sides differ by up to this many degrees
    int bed = 40;                // scanner bed where the paper ends
    int ditherGif = 1;           // GIF palette: 0 nearest colour, 1 error diffusion
};

// A scan of a map sheet to draw. SheetDrawer draws it in one of two styles:
//
// - the fixed style (print.dpi == 0): one drawing with the options below,
//   sized by longSide (collar, thick outer frame, minute frame with bars and
//   10-second dots, label band, inner frame, a map with its turned grid);
// - the printed style (print.dpi > 0): the sheet as it is printed, in
//   millimetres on paper, in the shape its name gives (Gauss-Krueger corners,
//   polyconic arcs at small scales), laid on a scanner (turned, sheared,
//   shrunk, out of square), cropped, aged and written at print.dpi.
//   SheetDrawer::randomScan() picks every property of it from a seed.
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
    // The printed style: when print.dpi > 0 the sheet is drawn as printed
    // sheets are and scanned at that resolution; longSide then caps the
    // image's longer side (0: no cap), the fields above keep their meaning and
    // those that are only the fixed style's (from dotRadius to roadAlongEdges) are unused.
    SheetPrint print;
};

// Bounds for SheetDrawer::randomScan.
struct RandomLimits
{
    int maxSide = 0;             // cap of the image's longer side (0: as the resolution gives)
    double minDpi = 150, maxDpi = 600;
    double maxTurn = 3.0;        // degrees
    bool smallScales = true;     // 1:500K and 1:1M sheets among them
};

// Images that are no sheets: a blank page, a page of text, a photo-like
// blur of shapes, a map fragment without a frame, a ruled table of lines with
// a heavy border, a photograph of a building's front, a map fragment whose
// kilometre grid runs square to the image; and printed sheets that show no
// whole frame: cut inside the inner frame, or with one frame edge cut off;
// a book page with a ruled box round its text.
enum class NonSheet { Blank, Text, Photo, MapFragment, Table, Building, MapGrid, InsideFrame, EdgeCut, BookPage };

// A non-sheet as the yardstick draws it: its kind, and the sheet it is given
// to the finder as (the finder always gets a name; the sheet-like kinds are
// that sheet, cut).
struct NonSheetScan
{
    NonSheet kind = NonSheet::Blank;
    SheetScan sheet;
};

// Draws sheets with their true inner frame corners, and non-sheets, as image
// files for the frame finder's tests and yardstick.
class SheetDrawer
{
public:
    // Writes the scan into `folder` as <sheetName>.<format>; `corners` get the
    // true inner frame corners NW, NE, SE, SW (pixel centres at whole numbers).
    static QString drawSheet(const SheetScan &scan, const QString &folder, std::array<QPointF, 4> *corners,
                             const QString &baseName = QString());
    static QString drawNonSheet(NonSheet kind, int width, int height, unsigned seed, const QString &folder,
                                const QString &baseName, const QString &format = QStringLiteral("png"));

    // A printed sheet and its scan with every property picked at random from
    // `seed` over wide ranges (scale, place, resolution, frame style, collar,
    // map content, scan faults, file format).
    static SheetScan randomScan(unsigned seed, const RandomLimits &limits = {});
    // A non-sheet at random: any kind, given a random sheet's name.
    static NonSheetScan randomNonSheet(unsigned seed, const RandomLimits &limits = {});
    static QString drawNonSheet(const NonSheetScan &scan, const QString &folder, const QString &baseName = QString());
    // One line naming the scan's properties.
    static QString describe(const SheetScan &scan);
    static QString describe(NonSheet kind);
};
