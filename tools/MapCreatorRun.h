#pragma once

#include "tools/MapCreatorOptions.h"
#include "tools/RunResult.h"

#include <QString>
#include <QStringList>

#include <memory>

class CImageInfo;
class FrameLookahead;
class MapFile;
class RunObserver;
class SheetName;

// The map creator: for every sheet image of the input folder, a calibrated
// map file of the same base name in the output folder.
class MapCreatorRun
{
public:
    static RunResult run(const MapCreatorOptions &options, RunObserver &observer);

private:
    struct SheetFile; // one sheet image, as its steps find it out

    MapCreatorRun(const MapCreatorOptions &options, RunObserver &observer);
    ~MapCreatorRun();

    // The run: folders, listing, frame search, one sheet image after the other, summary.
    RunResult walk();
    bool foldersExist();
    void failUnreadableNames(const QStringList &unreadable);
    void startFrameSearch();
    void calibrate(SheetFile &file);
    void finish();

    // The steps of one sheet image, in their order. Those that return a bool
    // return whether the file goes on to the next step: a file that fails a
    // check has had its message and the question whether to go on.
    void readOwnHeader(SheetFile &file);
    void noteConstantSize(const SheetFile &file);
    bool readName(SheetFile &file);
    bool lookForMap(SheetFile &file);
    bool readImageSize(SheetFile &file);
    void takeFrame(SheetFile &file);
    void writeMap(SheetFile &file);

    // The parts of the map document, in the order they are made.
    void describeSheet(MapFile &map, const SheetFile &file) const;
    void openDocument(MapFile &map, const SheetFile &file);
    void setPoints(MapFile &map, int scale) const;
    void setGrid(MapFile &map, const SheetFile &file);

    SheetName readSheetName(const QString &fileName) const;
    QString mapPathOf(const QString &fileName) const;
    int pointCount(int scale) const;
    // A file done with a doubt (its map is written all the same).
    void warn(const SheetFile &file, const QString &text);
    // A failed file (named as listed): its message, then the question whether to go on.
    void fail(const QString &fileName, const QString &text);

    const MapCreatorOptions &m_options;
    RunObserver &m_observer;
    RunResult m_result;

    // "By name": each file at the scale its own name reads as, with the grid
    // texts and point count of that scale.
    const bool m_byName;
    const int m_scale;
    const QString m_mask;
    const double m_marginTop;
    const double m_marginBottom;
    const double m_marginSide;

    QStringList m_files;  // the input folder, as listed
    int m_total = 0;      // its sheet images: the progress total
    int m_done = 0;       // the sheet images begun
    bool m_warnedConstant = false;
    bool m_wroteNew = false;
    // The grid texts of the last file's scale.
    QString m_gridMinor;
    QString m_gridMajor;
    QString m_gridKm;
    std::unique_ptr<CImageInfo> m_reader;
    std::unique_ptr<FrameLookahead> m_frames;
};
