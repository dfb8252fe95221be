#pragma once

#include "mapfile/CornerLL.h"
#include "mapfile/CornerXY.h"
#include "mapfile/MapLine.h"
#include "mapfile/MapLineStore.h"
#include "mapfile/MapPoint.h"
#include "mapfile/MapTextEncoding.h"
#include "sheet/SheetFields.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <array>

class MessageObserver;
class QIODevice;

// One OziExplorer calibration file ("OziExplorer Map Data File Version 2.2")
// held as numbered lines plus the values parsed out of them.
//
// Every line that enters the document goes through one line parser
// (MapLineParser) that fills the fields below. Lines are Windows-1251 text; a
// line the program does not change is written back byte for byte (its own
// bytes and its own line end): the lines live in a MapLineStore. The document
// has no fixed size limit; MapFileIO reads and writes its file.
//
// Failures that reach the caller are thrown as MapError (a file that cannot be
// read or written, a line index outside the document, a 16-bit overflow).
// The line parser itself never throws: a line it cannot take is kept as read
// and changes only the fields set before the failing step.
class MapFile
{
public:
    explicit MapFile(MessageObserver *observer = nullptr);

    // --- public fields -----------------------------------------------------
    QString FileName;          // ReadMap/WriteMap use it when given an empty name
    qint16 MMPNUM = 0;         // value of the MMPNUM line
    float MM1B = 0;            // value of the MM1B line (metres per pixel)
    QString MapName;           // sheet name from line index 1
    QString ImageName;         // image file name from line index 2
    qint16 iRow = -1;          // 1:1M row, A = 1 .. V = 22
    qint16 iCol = -1;          // 1:1M column 1..60
    qint16 iList = -1;         // sub-sheet within the 1:1M sheet
    qint16 iList50 = 0;        // 1:50K letter index 1..4
    qint16 iList25 = 0;        // 1:25K letter index 1..4
    qint16 iList10 = 0;        // 1:10K sheet number 1..4
    qint16 iScale = -1;        // 10, 25, 50, 100, 200, 500 or 1000
    bool bSouth = false;       // a southern-hemisphere sheet ("sK-37-001")
    qint16 iX = 0;             // image width in pixels
    qint16 iY = 0;             // image height in pixels
    double dMTop = 0.05;       // blank margins as fractions of the image height
    double dMBottom = 0.05;
    double dMSide = 0.03;      // ... and of its width (each side)
    MessageObserver *Observer = nullptr; // receives the title-line messages; may be null
    // When set, the parser still fills every field but never changes the text of
    // a line: the title keeps its extension, the image path its directory, the
    // projection lines stay as read. The utilities that rewrite other people's
    // files in place use it, so that only the lines they mean to change change.
    bool KeepReadLines = false;
    // The text encoding of the file: ReadMap takes it from the bytes (UTF-8
    // when they are valid UTF-8 with a non-ASCII character, else
    // Windows-1251), and lines made or changed by program are written in it,
    // so that a rewrite keeps the file's own encoding. New files: Windows-1251
    // unless the caller chooses UTF-8.
    MapTextEncoding::Kind Encoding = MapTextEncoding::Windows1251;
    // Whether the file read held non-ASCII bytes (so that its encoding was
    // told by them; an all-ASCII file reads the same in both).
    bool EncodingFromBytes = false;
    // Corners NW, NE, SE, SW of the sheet frame found on the scan, in pixels.
    // When set, points 1..4 are placed there instead of at the margins, and
    // every point written is placed anew (5..9 from 1..4), also in a map
    // file read back, so that the points agree with the frame.
    bool HasFrameCorners = false;
    std::array<double, 8> FrameCorners{}; // x1, y1, x2, y2, ... in point order

    // --- the document ------------------------------------------------------
    // Reads the file `name` (FileName when empty), replacing the document.
    // Throws MapError naming the file when it does not exist or cannot be read.
    void ReadMap(const QString &name = QString());
    // Reads a whole map file from a device (same rules as ReadMap).
    void ReadMap(QIODevice &device);
    // Reads a whole map file from its bytes (same rules as ReadMap).
    void ReadBytes(const QByteArray &bytes);

    void AddLine(const QString &Title, const QString &body, int idx = -1);
    void SetLine(int num, const QString &Title, const QString &body, int idx = -1, bool fParse = false);

    // Writes the document to `name` (FileName when empty) atomically: the
    // bytes go to a temporary file in the same folder, which then replaces the
    // target. With syncToDisk the data reach the disk before the rename.
    // Throws MapError naming the file on any failure; the old file is then intact.
    void WriteMap(const QString &name = QString(), bool syncToDisk = true) const;
    // The bytes WriteMap writes.
    QByteArray ToBytes() const;

    void SetCorner();
    void RemovePath();

    // --- calibration points ------------------------------------------------
    double CreatePoint(int k, const QString &strType) const;
    double GetPoint(int iPN, const QString &strType) const;
    void SortPoints();

    // --- texts -------------------------------------------------------------
    QString Lat2Str(double lat) const;
    QString Lon2Str(double lon) const;
    QString getCMeridian() const;
    QString DD2Str(double d) const;
    double getScaleMP() const;
    QString getMapName() const;
    qint16 getZone() const;

    // --- new files and point lines -----------------------------------------
    void CreateNew(const QString &ImgFile);
    int SetPoint(int k, bool fCanCreateNew = false);
    // Moves point k (1..9) to a pixel position, rounded as SetPoint rounds,
    // keeping its degrees, and rewrites its point line. False (and nothing
    // changes) when the point has no degrees to keep.
    bool PlacePoint(int k, double x, double y);

    // --- read-only views for tools and tests --------------------------------
    int lineCount() const { return m_lines.count(); }
    // Line i as its fields (a read line is decoded when asked for).
    MapLine line(int i) const;
    QString lineTitle(int i) const;      // line(i).Title, without decoding the rest
    QString lineText(int i) const;       // the line as it is written, without line end
    // Whether line i's Title is the ASCII text `key` regardless of case: as
    // upper-cased texts compare (`key` upper-case), or with `folded` as
    // QString::compare(..., Qt::CaseInsensitive) compares. An ASCII title is
    // compared in its bytes, without decoding the line.
    bool lineTitleIs(int i, QLatin1StringView key, bool folded = false) const;
    int pointCount() const { return m_pointCount; }
    const MapPoint &point(int k) const;   // k = 1..9
    const CornerXY &cornerXY(int n) const; // n = 1..4
    const CornerLL &cornerLL(int n) const; // n = 1..4
    int firstPointLine() const { return m_firstPointLine; }
    bool projFixed() const { return m_projFixed; }
    int projLine() const { return m_projLine; }
    int projSetupLine() const { return m_projSetupLine; }
    // The sheet identity fields, as the geometry and text functions take them.
    SheetFields sheetFields() const;
    // Whether line index 0 is an OziExplorer map header ("OziExplorer Map Data File...").
    bool hasHeader() const;

private:
    // The line parser fills the fields of the lines it reads.
    friend class MapLineParser;

    // A point's coordinate, as the texts "Lat", "Lon", "X" and "Y" name it.
    enum class Coord { Lat, Lon, X, Y, None };
    static Coord coordOf(const QString &strType);
    double pointValue(int k, Coord c) const;    // GetPoint
    double newPointValue(int k, Coord c) const; // CreatePoint
    // CreateNew line by line, every line through AddLine.
    void buildNew(const QString &ImgFile);
    // Puts a line of a new map at index `num` as AddLine would have added it there.
    void putNewLine(int num, const QString &Title, const QString &body);
    void ResetPoints();
    QString FormatDD(double value) const;
    // The body of the Projection Setup line of the sheet's zone.
    QString projectionSetup() const;
    void SwapPoints(int a, int b);
    void CopyPoint(int target, const MapPoint &source);

    std::array<MapPoint, 10> m_points{};  // slots 1..9 (0 unused)
    int m_pointCount = 0;
    int m_firstPointLine = 0;
    std::array<CornerXY, 5> m_cornerXY{}; // 1..4
    std::array<CornerLL, 5> m_cornerLL{}; // 1..4
    MapLineStore m_lines;
    bool m_projFixed = false;
    int m_projLine = 0;
    int m_projSetupLine = 0;
};
