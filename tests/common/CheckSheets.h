#pragma once

// Sheets with maps for the calibration check tests: an image file and the
// map the map creator writes for it, in one folder.

#include "common/RecordingObserver.h"
#include "common/SheetImages.h"

#include "tools/MapCreatorOptions.h"
#include "tools/MapCreatorRun.h"

#include <QByteArray>
#include <QDir>
#include <QList>
#include <QString>

namespace CheckSheets {

struct Margins
{
    QString top = QStringLiteral("5");
    QString bottom = QStringLiteral("5");
    QString side = QStringLiteral("3");
};

// Runs the map creator over a folder (images and maps in the same folder).
inline bool createMaps(const QString &folder, const QString &scale, const QString &points,
                       const Margins &margins = Margins())
{
    MapCreatorOptions o;
    o.inFolder = folder;
    o.outFolder = folder;
    o.scaleText = scale;
    o.maskText = QStringLiteral("R-CC-LLL");
    o.pointsText = points;
    o.gridMode = 0;
    o.marginTop = margins.top;
    o.marginBottom = margins.bottom;
    o.marginSide = margins.side;
    RecordingObserver observer;
    const RunResult r = MapCreatorRun::run(o, observer);
    return r.failed == 0 && !r.folderMissing;
}

// The lines of a file's bytes (CR LF or LF), without their ends.
inline QList<QByteArray> lines(const QByteArray &bytes)
{
    QList<QByteArray> out = bytes.split('\n');
    if (!out.isEmpty() && out.last().isEmpty())
        out.removeLast();
    for (QByteArray &l : out) {
        if (l.endsWith('\r'))
            l.chop(1);
    }
    return out;
}

// Whether a map line is one a corner edit may change: a point line or a corner marker.
inline bool isCalibrationLine(const QByteArray &line)
{
    const QByteArray upper = line.toUpper();
    return upper.startsWith("POINT0") || upper.startsWith("MMPXY,") || upper.startsWith("MMPLL,");
}

// The line of a map that starts with `prefix` ("MMPXY,1,"); empty when none.
inline QByteArray lineStarting(const QByteArray &bytes, const QByteArray &prefix)
{
    for (const QByteArray &l : lines(bytes)) {
        if (l.startsWith(prefix))
            return l;
    }
    return QByteArray();
}

} // namespace CheckSheets
