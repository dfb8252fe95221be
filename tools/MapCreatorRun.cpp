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

SizeSource sizeSourceOf(const QString &fileName)
{
    return sizeSource(Global::getExtension(fileName).toUpper());
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

// What is at a map file's place. An empty map file holds nothing to keep (a
// power cut can leave one behind for a new map that never reached the disk):
// it is made anew, also when existing maps are to be skipped.
enum class MapOnDisk { None, Empty, Kept };

MapOnDisk mapOnDisk(const QString &mapPath)
{
    const QFileInfo info(mapPath);
    if (!info.exists()) // one look-up: a missing file is not cached
        return MapOnDisk::None;
    return info.isFile() && info.size() == 0 ? MapOnDisk::Empty : MapOnDisk::Kept;
}

} // namespace

// One sheet image of the input folder.
struct MapCreatorRun::SheetFile
{
    int index = 0;       // in the folder's listing, the frame search's key
    QString name;        // as listed
    QString shownName;   // as the messages name it: base name, dot, extension
    SizeSource source = SizeSource::None;
    quint64 headerWidth = 0; // from a TIFF or BSB header of its own
    quint64 headerHeight = 0;
    SheetIdentity id;
    QString mapPath;
    MapOnDisk onDisk = MapOnDisk::None;
    int width = 4000;    // the image size the map is made for
    int height = 4000;
    bool searched = false; // the frame was looked for
    SheetCorners frame;
};

RunResult MapCreatorRun::run(const MapCreatorOptions &options, RunObserver &observer)
{
    return MapCreatorRun(options, observer).walk();
}

MapCreatorRun::MapCreatorRun(const MapCreatorOptions &options, RunObserver &observer)
    : m_options(options),
      m_observer(observer),
      m_byName(options.scaleText == QLatin1String("auto")),
      m_scale(m_byName ? SheetName::ByName : Global::scaleFromText(options.scaleText)),
      m_mask(m_byName ? QString() : options.maskText),
      m_marginTop(marginFraction(options.marginTop)),
      m_marginBottom(marginFraction(options.marginBottom)),
      m_marginSide(marginFraction(options.marginSide)),
      m_reader(std::make_unique<CImageInfo>())
{
}

MapCreatorRun::~MapCreatorRun() = default;

RunResult MapCreatorRun::walk()
{
    if (!foldersExist())
        return m_result;
    QStringList unreadable;
    m_files = FolderListing::files(m_options.inFolder, &unreadable);
    // The progress total counts the sheet images only, not the other files
    // (the map files written beside them, for one).
    m_total = int(std::count_if(m_files.cbegin(), m_files.cend(),
                                [](const QString &name) { return sizeSourceOf(name) != SizeSource::None; }));
    failUnreadableNames(unreadable);
    startFrameSearch();

    for (int i = 0; i < int(m_files.size()) && !m_result.cancelled; ++i) {
        if (m_observer.isCancelled()) {
            m_result.cancelled = true;
            break;
        }
        SheetFile file;
        file.index = i;
        file.name = m_files.at(i);
        file.source = sizeSourceOf(file.name);
        if (file.source != SizeSource::None) // not a sheet image: passed over, not counted
            calibrate(file);
    }
    finish();
    return m_result;
}

bool MapCreatorRun::foldersExist()
{
    for (const QString &folder : {m_options.inFolder, m_options.outFolder}) {
        if (!QFileInfo(folder).isDir()) {
            m_observer.message(QCoreApplication::translate("MapCreatorRun", "Folder ") + folder + QCoreApplication::translate("MapCreatorRun", " is not exist"), errorCaption(),
                               Icon::Critical);
            m_result.folderMissing = true;
            return false;
        }
    }
    return true;
}

// Sheet images whose names cannot be read fail first, each with its message.
void MapCreatorRun::failUnreadableNames(const QStringList &unreadable)
{
    for (const QString &name : unreadable) {
        if (m_result.cancelled)
            break;
        if (sizeSourceOf(name) != SizeSource::None)
            fail(name, FolderListing::unreadableNameMessage(m_options.inFolder, name));
    }
}

// The frame search runs ahead of the loop on all cores, over the files the
// loop will calibrate: sheet images with a sheet name whose map is not left
// as it is.
void MapCreatorRun::startFrameSearch()
{
    if (!m_options.findFrame)
        return;
    std::vector<FrameLookahead::Job> jobs;
    for (int i = 0; i < int(m_files.size()); ++i) {
        const QString &name = m_files.at(i);
        if (sizeSourceOf(name) == SizeSource::None)
            continue;
        const SheetIdentity sheet = readSheetName(name).id;
        if (!sheet.ok())
            continue;
        if (m_options.skipExisting && mapOnDisk(mapPathOf(name)) == MapOnDisk::Kept)
            continue;
        jobs.push_back({i, FolderListing::join(m_options.inFolder, name), sheet});
    }
    m_frames = std::make_unique<FrameLookahead>(m_options.findFrame, std::move(jobs));
}

void MapCreatorRun::calibrate(SheetFile &file)
{
    file.shownName = Global::getNameNoExt(file.name) + QLatin1Char('.') + Global::getExtension(file.name);
    m_observer.progress(++m_done, m_total, file.name);
    readOwnHeader(file);
    noteConstantSize(file);
    ++m_result.count;
    if (!readName(file) || !lookForMap(file) || !readImageSize(file))
        return;
    takeFrame(file);
    writeMap(file);
}

void MapCreatorRun::finish()
{
    if (m_wroteNew)
        syncFolder(m_options.outFolder);

    m_observer.status(QString());
    m_frames.reset();
    if (m_options.findFrame)
        m_observer.message(QCoreApplication::translate("MapCreatorRun", "Done %1 map-files: %2 from the sheet frame, %3 from the margins")
                               .arg(m_result.count).arg(m_result.fromFrame).arg(m_result.fromMargins),
                           QString(), Icon::None);
    else
        m_observer.message(QCoreApplication::translate("MapCreatorRun", "Done %1 map-files").arg(m_result.count), QString(), Icon::None);
}

// TIFF and BSB charts carry their size in a header of their own; one that
// cannot be read falls back to the constant size and its warning.
void MapCreatorRun::readOwnHeader(SheetFile &file)
{
    if (file.source != SizeSource::Tiff && file.source != SizeSource::Kap)
        return;
    const QString path = FolderListing::join(m_options.inFolder, file.name);
    bool read = false;
    if (file.source == SizeSource::Tiff) {
        TiffHeader tiff;
        read = tiff.read(path);
        file.headerWidth = tiff.width();
        file.headerHeight = tiff.height();
    } else {
        KapHeader kap;
        read = kap.read(path);
        file.headerWidth = kap.width();
        file.headerHeight = kap.height();
    }
    file.source = read ? SizeSource::HeaderRead : SizeSource::Constant;
}

// Said once a run, at the first image of the constant size.
void MapCreatorRun::noteConstantSize(const SheetFile &file)
{
    if (file.source != SizeSource::Constant || m_warnedConstant)
        return;
    m_observer.message(QCoreApplication::translate("MapCreatorRun", "Programm can recognize image size only for jpeg, bmp, gif, png. "
                                                   "For other format Program use constant (4000*4000)"),
                       QCoreApplication::translate("MapCreatorRun", "Warning"), Icon::Information);
    m_warnedConstant = true;
}

bool MapCreatorRun::readName(SheetFile &file)
{
    const SheetName sheetName = readSheetName(file.name);
    file.id = sheetName.id;
    if (!file.id.ok()) {
        fail(file.name, file.id.error);
        return false;
    }
    // A name of another scale is still calibrated at the chosen one, but not silently.
    if (sheetName.otherScale())
        warn(file, QCoreApplication::translate("MapCreatorRun", "its name reads as a %1 sheet, not %2: it was calibrated as a %2 sheet")
                       .arg(Global::scaleText(sheetName.nameScale), m_options.scaleText));
    // Nor is a name that reads two ways, or only in part.
    if (!sheetName.warning.isEmpty())
        warn(file, sheetName.warning);
    return true;
}

// An existing map is re-calibrated, or skipped when existing maps are to be skipped.
bool MapCreatorRun::lookForMap(SheetFile &file)
{
    file.mapPath = mapPathOf(file.name);
    file.onDisk = mapOnDisk(file.mapPath);
    if (file.onDisk == MapOnDisk::Kept && m_options.skipExisting) {
        m_observer.fileResult(file.name, RunObserver::FileOutcome::Skipped,
                              QCoreApplication::translate("MapCreatorRun", "its map file exists"));
        return false;
    }
    return true;
}

bool MapCreatorRun::readImageSize(SheetFile &file)
{
    if (file.source == SizeSource::Header) {
        CImageInfo &reader = *m_reader;
        if (!reader.ReadImageInfo(FolderListing::join(m_options.inFolder, file.name))) {
            fail(file.name, file.shownName + QCoreApplication::translate("MapCreatorRun", " Cannot read the image: ") + reader.errorString());
            return false;
        }
        if (reader.Width() > 32767 || reader.Height() > 32767) {
            fail(file.name, file.shownName + QCoreApplication::translate("MapCreatorRun", " Image size %1 x %2 is too large (at most 32767)")
                                                 .arg(reader.Width())
                                                 .arg(reader.Height()));
            return false;
        }
        if (reader.Width() != 0 && reader.Height() != 0) {
            file.width = reader.Width();
            file.height = reader.Height();
        } else {
            warn(file, QCoreApplication::translate("MapCreatorRun", "its header gives no image size: the map is made for 4000 x 4000"));
        }
    } else if (file.source == SizeSource::HeaderRead) {
        if (file.headerWidth > 32767 || file.headerHeight > 32767) {
            fail(file.name, file.shownName + QCoreApplication::translate("MapCreatorRun", " Image size %1 x %2 is too large (at most 32767)")
                                                 .arg(file.headerWidth)
                                                 .arg(file.headerHeight));
            return false;
        }
        file.width = int(file.headerWidth);
        file.height = int(file.headerHeight);
    }
    return true;
}

// The frame the search found in the image, which also gives the decoded size;
// when none was found the map is made from the margins, with a warning.
void MapCreatorRun::takeFrame(SheetFile &file)
{
    file.searched = m_frames && m_frames->has(file.index);
    if (!file.searched)
        return;
    m_observer.status(QCoreApplication::translate("MapCreatorRun", "Finding the sheet frame in ") + file.shownName);
    file.frame = m_frames->take(file.index);
    const SheetCorners &frame = file.frame;
    if (frame.imageSize.isValid() && frame.imageSize.width() <= 32767 && frame.imageSize.height() <= 32767) {
        file.width = frame.imageSize.width();
        file.height = frame.imageSize.height();
    }
    if (!frame.found) {
        m_observer.fileResult(file.name, RunObserver::FileOutcome::FromMargins,
                              QCoreApplication::translate("MapCreatorRun", "the sheet frame was not found (")
                                  + frame.reason + QLatin1Char(')'));
        m_observer.message(file.shownName + QCoreApplication::translate("MapCreatorRun", " The sheet frame was not found (") + frame.reason
                               + QCoreApplication::translate("MapCreatorRun", "): the map is made from the margins"),
                           QCoreApplication::translate("MapCreatorRun", "Warning"), Icon::Warning);
    }
}

void MapCreatorRun::writeMap(SheetFile &file)
{
    try {
        MapFile map(&m_observer);
        describeSheet(map, file);
        openDocument(map, file);
        setPoints(map, file.id.scale);
        setGrid(map, file);

        // A replaced file reaches the disk before it replaces the old one;
        // new files are flushed together at the end of the run.
        map.WriteMap(file.mapPath, file.onDisk != MapOnDisk::None);
        m_observer.fileResult(file.name, RunObserver::FileOutcome::Written, QString());
        if (file.onDisk == MapOnDisk::None)
            m_wroteNew = true;
        if (file.searched)
            ++(file.frame.found ? m_result.fromFrame : m_result.fromMargins);
    } catch (const MapError &e) {
        fail(file.name, file.shownName + QLatin1Char(' ') + e.text());
    }
}

// What the map's points are worked out from: the sheet, the image size, the
// margins, and the frame's corners when it was found.
void MapCreatorRun::describeSheet(MapFile &map, const SheetFile &file) const
{
    const SheetIdentity &id = file.id;
    map.iScale = qint16(id.scale);
    map.dMTop = m_marginTop;
    map.dMBottom = m_marginBottom;
    map.dMSide = m_marginSide;
    map.iX = qint16(file.width);
    map.iY = qint16(file.height);
    map.iRow = id.row;
    map.iCol = id.col;
    map.iList = id.list;
    map.iList50 = id.list50;
    map.iList25 = id.list25;
    map.iList10 = id.list10;
    map.bSouth = id.south;
    if (file.searched && file.frame.found) {
        map.HasFrameCorners = true;
        for (int c = 0; c < 4; ++c) {
            map.FrameCorners[2 * c] = file.frame.corners[c].x();
            map.FrameCorners[2 * c + 1] = file.frame.corners[c].y();
        }
    }
}

// The existing map file read back, or a new document from the template.
void MapCreatorRun::openDocument(MapFile &map, const SheetFile &file)
{
    if (file.onDisk == MapOnDisk::Kept) {
        m_observer.status(QCoreApplication::translate("MapCreatorRun", "Reading map-file for ") + file.shownName);
        map.ReadMap(file.mapPath);
        // A file whose bytes tell no encoding (all ASCII) takes the chosen one.
        if (!map.EncodingFromBytes)
            map.Encoding = m_options.encoding;
        const QString reason = unusableMapReason(map);
        if (!reason.isEmpty())
            throw MapError(QCoreApplication::translate("MapCreatorRun", "Map file ") + file.mapPath + QLatin1Char(' ') + reason);
    } else {
        m_observer.status(QCoreApplication::translate("MapCreatorRun", "Generating map-file for ") + file.shownName);
        map.Encoding = m_options.encoding;
        map.CreateNew(file.name);
    }
}

// The first points of the scale's count are set, the others cleared; then the corners.
void MapCreatorRun::setPoints(MapFile &map, int scale) const
{
    const int count = pointCount(scale);
    for (int k = 1; k <= count; ++k)
        map.SetPoint(k, true);
    int k = count + 1;
    for (int c = 0; c < 9 - count; ++c)
        k = map.SetPoint(k, false);
    map.SetCorner();
}

void MapCreatorRun::setGrid(MapFile &map, const SheetFile &file)
{
    gridTexts(file.id.scale, m_gridMinor, m_gridMajor, m_gridKm);
    const bool fresh = file.onDisk != MapOnDisk::Kept;
    if (m_options.gridMode == 2) {
        putGrid(map, fresh, QStringLiteral("LL Grid Setup"), QLatin1StringView("LLGRID"),
                QStringLiteral("Yes,") + m_gridMinor + QStringLiteral(",No,255,16711680,0,") + m_gridMajor
                    + QStringLiteral(",0,16777215,7,1,Yes,x"));
    } else if (m_options.gridMode == 1) {
        putGrid(map, fresh, QStringLiteral("Other Grid Setup"), QLatin1StringView("GRGRID"),
                QStringLiteral("Yes,") + m_gridKm + QStringLiteral(" Km,No,16711680,255,") + m_gridKm
                    + QStringLiteral(" Km,0,16777215,8,0,Yes,Yes,No,x"));
    }
}

SheetName MapCreatorRun::readSheetName(const QString &fileName) const
{
    return SheetName::read(fileName, m_scale, m_mask, m_options.scaleGuessed);
}

QString MapCreatorRun::mapPathOf(const QString &fileName) const
{
    return FolderListing::join(m_options.outFolder, Global::getNameNoExt(fileName) + QStringLiteral(".map"));
}

// Only Point01..Point09 exist; a larger count asks for all nine.
int MapCreatorRun::pointCount(int scale) const
{
    const QString text = m_byName ? m_options.pointsOfScale.value(scale, m_options.pointsText) : m_options.pointsText;
    return int(std::clamp(Numeric::roundHalfEven(Numeric::leadingNumber(text)), 0.0, 9.0));
}

void MapCreatorRun::warn(const SheetFile &file, const QString &text)
{
    m_observer.fileResult(file.name, RunObserver::FileOutcome::Warning, text);
}

void MapCreatorRun::fail(const QString &fileName, const QString &text)
{
    ++m_result.failed;
    m_observer.fileResult(fileName, RunObserver::FileOutcome::Failed, text);
    m_observer.message(text, errorCaption(), Icon::Critical);
    if (!m_observer.askContinue(continueQuestion(), errorCaption()))
        m_result.cancelled = true;
}
