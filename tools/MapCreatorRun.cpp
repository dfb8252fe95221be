#include "tools/MapCreatorRun.h"

#include "imageinfo/CImageInfo.h"
#include "imageinfo/KapHeader.h"
#include "imageinfo/TiffHeader.h"
#include "sheet/MapError.h"
#include "mapfile/MapFile.h"
#include "sheet/Numeric.h"
#include "sheet/Global.h"
#include "sheet/SheetIdentity.h"
#include "sheet/SheetName.h"
#include "tools/FolderListing.h"
#include "tools/FrameLookahead.h"
#include "tools/RunObserver.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <memory>
#include <vector>

#if defined(Q_OS_LINUX)
#include <fcntl.h>
#include <unistd.h>
#elif defined(Q_OS_UNIX)
#include <unistd.h>
#endif

namespace {

using Icon = MessageObserver::Icon;

// Translated when shown, not when the program starts.
QString errorCaption()
{
    return QCoreApplication::translate("MapCreatorRun", "Error");
}

QString continueQuestion()
{
    return QCoreApplication::translate("MapCreatorRun", "There is error in data. Continue?");
}

// A margin text in percent as the fraction of the image the collar takes.
double marginFraction(const QString &text)
{
    const double value = Numeric::leadingNumber(text);
    if (value < 0)
        return 0;
    if (value >= 50)
        return 0.49;
    return value / 100;
}

// How an image's size is found, by its upper-cased extension.
// Tiff and Kap become HeaderRead once their own header has given the size.
enum class SizeSource { Header, Tiff, Kap, HeaderRead, Constant, None };

SizeSource sizeSource(const QString &extensionUpper)
{
    if (extensionUpper == QLatin1String("TIF"))
        return SizeSource::Tiff;
    if (extensionUpper == QLatin1String("KAP") || extensionUpper == QLatin1String("CAP"))
        return SizeSource::Kap;
    static const QStringList header = {QStringLiteral("JPG"), QStringLiteral("PNG"),
                                       QStringLiteral("BMP"), QStringLiteral("GIF")};
    static const QStringList constant = {QStringLiteral("OZF"), QStringLiteral("ECW"), QStringLiteral("SID"),
                                         QStringLiteral("OZF2"), QStringLiteral("OZF3")};
    if (header.contains(extensionUpper))
        return SizeSource::Header;
    if (constant.contains(extensionUpper))
        return SizeSource::Constant;
    return SizeSource::None;
}

// Grid interval texts by scale (thousands): minor and major latitude/longitude
// lines, and the metric grid step in kilometres.
void gridTexts(int scale, QString &minor, QString &major, QString &km)
{
    switch (scale) {
    case 10:
    case 25:
    case 50:
        minor = QStringLiteral("1 min");
        major = QStringLiteral("5 min");
        km = QStringLiteral("1");
        break;
    case 100:
        minor = QStringLiteral("1 min");
        major = QStringLiteral("5 min");
        km = QStringLiteral("2");
        break;
    case 200:
        minor = QStringLiteral("1 min");
        major = QStringLiteral("5 min");
        km = QStringLiteral("4");
        break;
    case 500:
        minor = QStringLiteral("5 min");
        major = QStringLiteral("20 min");
        km = QStringLiteral("10");
        break;
    case 1000:
        minor = QStringLiteral("10 min");
        major = QStringLiteral("1 deg");
        km = QStringLiteral("20");
        break;
    default:
        break; // other scales keep the texts of the previous file
    }
}

// An existing map file can be re-calibrated only when it has the lines the
// point and corner writers address; otherwise they would overwrite other lines.
QString unusableMapReason(const MapFile &map)
{
    if (!map.hasHeader())
        return QCoreApplication::translate("MapCreatorRun", "is not an OziExplorer map file");
    if (map.firstPointLine() <= 0 || map.firstPointLine() + 8 >= map.lineCount())
        return QCoreApplication::translate("MapCreatorRun", "has no point lines");
    for (int n = 1; n <= 4; ++n) {
        if (map.cornerXY(n).LineNo <= 0 || map.cornerLL(n).LineNo <= 0)
            return QCoreApplication::translate("MapCreatorRun", "has no corner lines (MMPXY/MMPLL)");
    }
    return QString();
}

// Appends a grid section (its heading line and its grid line). A map file that
// already has that grid line gets it replaced, so that calibrating the same
// file again does not pile up one more grid section per run.
// A new map (from the template) has no grid line to look for.
void putGrid(MapFile &map, bool fresh, const QString &heading, QLatin1StringView title, const QString &body)
{
    for (int i = fresh ? -1 : map.lineCount() - 1; i >= 0; --i) {
        if (map.lineTitleIs(i, title, true)) {
            map.SetLine(i, QString(title), body, -1, true);
            return;
        }
    }
    map.AddLine(heading, QString(), -1);
    map.AddLine(QString(title), body, -1);
}

// One flush of everything written to the output folder's file system.
void syncFolder(const QString &folder)
{
#if defined(Q_OS_LINUX)
    const QByteArray path = QFile::encodeName(folder);
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::syncfs(fd);
        ::close(fd);
        return;
    }
    ::sync();
#elif defined(Q_OS_UNIX)
    Q_UNUSED(folder);
    ::sync();
#else
    Q_UNUSED(folder); // Windows: new files are left to the system's write-back
#endif
}

} // namespace

RunResult MapCreatorRun::run(const MapCreatorOptions &options, RunObserver &observer)
{
    RunResult result;

    // "By name": each file at the scale its own name reads as, with the grid
    // texts and point count of that scale.
    const bool byName = options.scaleText == QLatin1String("auto");
    const int scale = byName ? SheetName::ByName : Global::scaleFromText(options.scaleText);
    const QString mask = byName ? QString() : options.maskText;
    auto readName = [&](const QString &name) { return SheetName::read(name, scale, mask, options.scaleGuessed); };
    // Only Point01..Point09 exist; a larger count asks for all nine.
    auto pointCountOf = [&](int sheetScale) {
        const QString text = byName ? options.pointsOfScale.value(sheetScale, options.pointsText) : options.pointsText;
        return int(std::clamp(Numeric::roundHalfEven(Numeric::leadingNumber(text)), 0.0, 9.0));
    };

    for (const QString &folder : {options.inFolder, options.outFolder}) {
        if (!QFileInfo(folder).isDir()) {
            observer.message(QCoreApplication::translate("MapCreatorRun", "Folder ") + folder + QCoreApplication::translate("MapCreatorRun", " is not exist"), errorCaption(),
                             Icon::Critical);
            result.folderMissing = true;
            return result;
        }
    }

    const double marginTop = marginFraction(options.marginTop);
    const double marginBottom = marginFraction(options.marginBottom);
    const double marginSide = marginFraction(options.marginSide);

    CImageInfo reader;
    bool warned = false;
    bool wroteNew = false;
    QString minor, major, km;

    QStringList unreadable;
    const QStringList files = FolderListing::files(options.inFolder, &unreadable);
    // The progress total counts the sheet images only, not the other files
    // (the map files written beside them, for one).
    const int total = int(std::count_if(files.cbegin(), files.cend(), [](const QString &name) {
        return sizeSource(Global::getExtension(name).toUpper()) != SizeSource::None;
    }));
    int index = 0;
    QString current; // the file being worked on, as listed

    // A doubtful file: its map is written all the same, the observer is told why.
    auto warn = [&](const QString &text) {
        observer.fileResult(current, RunObserver::FileOutcome::Warning, text);
    };

    // A failed file: its message, then the question whether to go on.
    auto fail = [&](const QString &text) {
        ++result.failed;
        observer.fileResult(current, RunObserver::FileOutcome::Failed, text);
        observer.message(text, errorCaption(), Icon::Critical);
        if (!observer.askContinue(continueQuestion(), errorCaption())) {
            result.cancelled = true;
            return false;
        }
        return true;
    };

    // Sheet images whose names cannot be read fail first, each with its message.
    for (const QString &name : std::as_const(unreadable)) {
        if (result.cancelled)
            break;
        if (sizeSource(Global::getExtension(name).toUpper()) == SizeSource::None)
            continue;
        current = name;
        fail(FolderListing::unreadableNameMessage(options.inFolder, name));
    }

    // The frame search runs ahead of the loop on all cores, over the files
    // the loop will calibrate.
    std::unique_ptr<FrameLookahead> frames;
    if (options.findFrame) {
        std::vector<FrameLookahead::Job> jobs;
        for (int i = 0; i < int(files.size()); ++i) {
            const QString &name = files.at(i);
            if (sizeSource(Global::getExtension(name).toUpper()) == SizeSource::None)
                continue;
            const SheetIdentity sheet = readName(name).id;
            if (!sheet.ok())
                continue;
            const QFileInfo map(FolderListing::join(options.outFolder, Global::getNameNoExt(name) + QStringLiteral(".map")));
            if (options.skipExisting && map.exists() && !(map.isFile() && map.size() == 0))
                continue;
            jobs.push_back({i, FolderListing::join(options.inFolder, name), sheet});
        }
        frames = std::make_unique<FrameLookahead>(options.findFrame, std::move(jobs));
    }

    for (int i = 0; i < int(files.size()) && !result.cancelled; ++i) {
        if (observer.isCancelled()) {
            result.cancelled = true;
            break;
        }
        const QString &fileName = files.at(i);
        current = fileName;

        const QString baseName = Global::getNameNoExt(fileName);
        const QString extension = Global::getExtension(fileName);
        const QString shownName = baseName + QLatin1Char('.') + extension;

        SizeSource source = sizeSource(extension.toUpper());
        if (source == SizeSource::None)
            continue; // not a sheet image: passed over, not counted
        observer.progress(++index, total, fileName);
        // TIFF and BSB charts carry their size in a header of their own; one
        // that cannot be read falls back to the constant size and its warning.
        quint64 headerWidth = 0;
        quint64 headerHeight = 0;
        if (source == SizeSource::Tiff || source == SizeSource::Kap) {
            const QString path = FolderListing::join(options.inFolder, fileName);
            bool read = false;
            if (source == SizeSource::Tiff) {
                TiffHeader tiff;
                read = tiff.read(path);
                headerWidth = tiff.width();
                headerHeight = tiff.height();
            } else {
                KapHeader kap;
                read = kap.read(path);
                headerWidth = kap.width();
                headerHeight = kap.height();
            }
            source = read ? SizeSource::HeaderRead : SizeSource::Constant;
        }
        if (source == SizeSource::Constant && !warned) {
            observer.message(QCoreApplication::translate("MapCreatorRun", "Programm can recognize image size only for jpeg, bmp, gif, png. "
                                            "For other format Program use constant (4000*4000)"),
                             QCoreApplication::translate("MapCreatorRun", "Warning"), Icon::Information);
            warned = true;
        }

        ++result.count;

        const SheetName sheetName = readName(fileName);
        const SheetIdentity &id = sheetName.id;
        if (!id.ok()) {
            if (!fail(id.error))
                break;
            continue;
        }
        // A name of another scale is still calibrated at the chosen one, but not silently.
        if (sheetName.otherScale())
            warn(QCoreApplication::translate("MapCreatorRun", "its name reads as a %1 sheet, not %2: it was calibrated as a %2 sheet")
                     .arg(Global::scaleText(sheetName.nameScale), options.scaleText));
        // Nor is a name that reads two ways, or only in part.
        if (!sheetName.warning.isEmpty())
            warn(sheetName.warning);

        const QString mapPath = FolderListing::join(options.outFolder, baseName + QStringLiteral(".map"));
        const QFileInfo mapInfo(mapPath);
        // An empty map file holds nothing to keep (a power cut can leave one
        // behind for a new map that never reached the disk): it is made anew,
        // also when existing maps are to be skipped.
        const bool present = mapInfo.exists(); // one look-up: a missing file is not cached
        const bool emptyMap = present && mapInfo.isFile() && mapInfo.size() == 0;
        const bool exists = present && !emptyMap;
        if (exists && options.skipExisting) {
            observer.fileResult(fileName, RunObserver::FileOutcome::Skipped,
                                QCoreApplication::translate("MapCreatorRun", "its map file exists"));
            continue;
        }

        int width = 4000;
        int height = 4000;
        if (source == SizeSource::Header) {
            if (!reader.ReadImageInfo(FolderListing::join(options.inFolder, fileName))) {
                if (!fail(shownName + QCoreApplication::translate("MapCreatorRun", " Cannot read the image: ") + reader.errorString()))
                    break;
                continue;
            }
            if (reader.Width() > 32767 || reader.Height() > 32767) {
                if (!fail(shownName + QCoreApplication::translate("MapCreatorRun", " Image size %1 x %2 is too large (at most 32767)")
                                          .arg(reader.Width())
                                          .arg(reader.Height())))
                    break;
                continue;
            }
            if (reader.Width() != 0 && reader.Height() != 0) {
                width = reader.Width();
                height = reader.Height();
            } else {
                warn(QCoreApplication::translate("MapCreatorRun", "its header gives no image size: the map is made for 4000 x 4000"));
            }
        } else if (source == SizeSource::HeaderRead) {
            if (headerWidth > 32767 || headerHeight > 32767) {
                if (!fail(shownName + QCoreApplication::translate("MapCreatorRun", " Image size %1 x %2 is too large (at most 32767)")
                                          .arg(headerWidth)
                                          .arg(headerHeight)))
                    break;
                continue;
            }
            width = int(headerWidth);
            height = int(headerHeight);
        }

        SheetCorners frame;
        const bool searched = frames && frames->has(i);
        if (searched) {
            observer.status(QCoreApplication::translate("MapCreatorRun", "Finding the sheet frame in ") + shownName);
            frame = frames->take(i);
            if (frame.imageSize.isValid() && frame.imageSize.width() <= 32767 && frame.imageSize.height() <= 32767) {
                width = frame.imageSize.width();
                height = frame.imageSize.height();
            }
            if (!frame.found) {
                observer.fileResult(fileName, RunObserver::FileOutcome::FromMargins,
                                    QCoreApplication::translate("MapCreatorRun", "the sheet frame was not found (")
                                        + frame.reason + QLatin1Char(')'));
                observer.message(shownName + QCoreApplication::translate("MapCreatorRun", " The sheet frame was not found (") + frame.reason
                                     + QCoreApplication::translate("MapCreatorRun", "): the map is made from the margins"),
                                 QCoreApplication::translate("MapCreatorRun", "Warning"), Icon::Warning);
            }
        }

        try {
            MapFile map(&observer);
            map.iScale = qint16(id.scale);
            map.dMTop = marginTop;
            map.dMBottom = marginBottom;
            map.dMSide = marginSide;
            map.iX = qint16(width);
            map.iY = qint16(height);
            map.iRow = id.row;
            map.iCol = id.col;
            map.iList = id.list;
            map.iList50 = id.list50;
            map.iList25 = id.list25;
            map.iList10 = id.list10;
            map.bSouth = id.south;
            if (searched && frame.found) {
                map.HasFrameCorners = true;
                for (int c = 0; c < 4; ++c) {
                    map.FrameCorners[2 * c] = frame.corners[c].x();
                    map.FrameCorners[2 * c + 1] = frame.corners[c].y();
                }
            }

            if (exists) {
                observer.status(QCoreApplication::translate("MapCreatorRun", "Reading map-file for ") + shownName);
                map.ReadMap(mapPath);
                // A file whose bytes tell no encoding (all ASCII) takes the chosen one.
                if (!map.EncodingFromBytes)
                    map.Encoding = options.encoding;
                const QString reason = unusableMapReason(map);
                if (!reason.isEmpty())
                    throw MapError(QCoreApplication::translate("MapCreatorRun", "Map file ") + mapPath + QLatin1Char(' ') + reason);
            } else {
                observer.status(QCoreApplication::translate("MapCreatorRun", "Generating map-file for ") + shownName);
                map.Encoding = options.encoding;
                map.CreateNew(fileName);
            }

            const int pointCount = pointCountOf(id.scale);
            for (int k = 1; k <= pointCount; ++k)
                map.SetPoint(k, true);
            int k = pointCount + 1;
            for (int c = 0; c < 9 - pointCount; ++c)
                k = map.SetPoint(k, false);
            map.SetCorner();

            gridTexts(id.scale, minor, major, km);
            if (options.gridMode == 2) {
                putGrid(map, !exists, QStringLiteral("LL Grid Setup"), QLatin1StringView("LLGRID"),
                        QStringLiteral("Yes,") + minor + QStringLiteral(",No,255,16711680,0,") + major
                            + QStringLiteral(",0,16777215,7,1,Yes,x"));
            } else if (options.gridMode == 1) {
                putGrid(map, !exists, QStringLiteral("Other Grid Setup"), QLatin1StringView("GRGRID"),
                        QStringLiteral("Yes,") + km + QStringLiteral(" Km,No,16711680,255,") + km
                            + QStringLiteral(" Km,0,16777215,8,0,Yes,Yes,No,x"));
            }

            // A replaced file reaches the disk before it replaces the old one;
            // new files are flushed together at the end of the run.
            map.WriteMap(mapPath, exists || emptyMap);
            observer.fileResult(fileName, RunObserver::FileOutcome::Written, QString());
            if (!exists && !emptyMap)
                wroteNew = true;
            if (searched)
                ++(frame.found ? result.fromFrame : result.fromMargins);
        } catch (const MapError &e) {
            if (!fail(shownName + QLatin1Char(' ') + e.text()))
                break;
        }
    }

    if (wroteNew)
        syncFolder(options.outFolder);

    observer.status(QString());
    frames.reset();
    if (options.findFrame)
        observer.message(QCoreApplication::translate("MapCreatorRun", "Done %1 map-files: %2 from the sheet frame, %3 from the margins")
                             .arg(result.count).arg(result.fromFrame).arg(result.fromMargins),
                         QString(), Icon::None);
    else
        observer.message(QCoreApplication::translate("MapCreatorRun", "Done %1 map-files").arg(result.count), QString(), Icon::None);
    return result;
}
