// The calibration check: plausibility of four corners, the verdict of a map
// against a frame finder fed with known corners, and moving a map's corners
// the way the map creator would have placed them.

#include "common/CheckSheets.h"

#include "mapfile/MapFile.h"
#include "sheet/SheetIdentity.h"
#include "tools/CornerEdit.h"
#include "tools/SheetRecord.h"
#include "tools/SheetVerdict.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using Corners = std::array<QPointF, 4>;
Q_DECLARE_METATYPE(Corners)

namespace {

Corners box(double left, double top, double right, double bottom)
{
    return {QPointF(left, top), QPointF(right, top), QPointF(right, bottom), QPointF(left, bottom)};
}

} // namespace

class TestSheetVerdict : public QObject
{
    Q_OBJECT

private slots:
    void implausibility_data();
    void implausibility();
    void verdict_data();
    void verdict();
    void cornerEditPlacesAsCreator_data();
    void cornerEditPlacesAsCreator();
    void imageLookup_data();
    void imageLookup();
    void nameReadTwoWays_data();
    void nameReadTwoWays();
};

void TestSheetVerdict::implausibility_data()
{
    QTest::addColumn<Corners>("corners");
    QTest::addColumn<QSize>("imageSize");
    QTest::addColumn<QString>("complaint"); // a word of the reason; empty: plausible

    const QSize size(1000, 800);
    QTest::newRow("a sheet") << box(30, 40, 970, 760) << size << QString();
    QTest::newRow("a skewed sheet") << Corners{QPointF(40, 30), QPointF(980, 50), QPointF(960, 770), QPointF(20, 750)}
                                    << size << QString();
    QTest::newRow("corner left of the image") << box(-1, 40, 970, 760) << size << "outside";
    QTest::newRow("corner on the right edge") << box(30, 40, 1000, 760) << size << "outside";
    QTest::newRow("corner below the image") << box(30, 40, 970, 800) << size << "outside";
    QTest::newRow("no size: no bounds") << box(30, 40, 1970, 1760) << QSize() << QString();
    QTest::newRow("all in one place") << box(500, 400, 500, 400) << size << "collapse";
    QTest::newRow("two corners on one") << Corners{QPointF(30, 40), QPointF(970, 40), QPointF(970, 760), QPointF(969, 41)}
                                        << size << "collapse";
    QTest::newRow("a sliver") << box(30, 400, 970, 402) << size << "collapse";
    QTest::newRow("north and south swapped") << box(30, 760, 970, 40) << size << "crosses";
    QTest::newRow("east corners swapped") << Corners{QPointF(30, 40), QPointF(970, 760), QPointF(970, 40), QPointF(30, 760)}
                                          << size << "crosses";
    QTest::newRow("one corner pushed in") << Corners{QPointF(30, 40), QPointF(970, 40), QPointF(300, 250), QPointF(30, 760)}
                                          << size << "crosses";
}

void TestSheetVerdict::implausibility()
{
    QFETCH(Corners, corners);
    QFETCH(QSize, imageSize);
    QFETCH(QString, complaint);
    const QString why = SheetVerdict::implausibility(corners, imageSize);
    if (complaint.isEmpty())
        QVERIFY2(why.isEmpty(), qPrintable(why));
    else
        QVERIFY2(why.contains(complaint), qPrintable(why));
}

void TestSheetVerdict::verdict_data()
{
    QTest::addColumn<QString>("setup");     // what is done to the sheet before the check
    QTest::addColumn<bool>("frameFound");
    QTest::addColumn<QPointF>("frameShift"); // the finder's frame against the map's corners
    QTest::addColumn<int>("shiftedCorner");  // which corner the shift applies to
    QTest::addColumn<QString>("verdict");
    QTest::addColumn<bool>("finderCalled");
    QTest::addColumn<QString>("reason"); // a part of it; empty: any

    // The image is 1000 x 800: corners may be 4 px off.
    QTest::newRow("on the frame") << "" << true << QPointF(0, 0) << 0 << "ok" << true << QString();
    QTest::newRow("3 px off") << "" << true << QPointF(3, 0) << 2 << "ok" << true << QString();
    QTest::newRow("4 px off diagonally") << "" << true << QPointF(2.8, 2.8) << 1 << "ok" << true << QString();
    QTest::newRow("5 px off") << "" << true << QPointF(0, 5) << 3 << "off-frame" << true << QString();
    QTest::newRow("far off") << "" << true << QPointF(-60, 45) << 0 << "off-frame" << true << QString();
    QTest::newRow("no frame") << "" << false << QPointF() << 0 << "no-frame" << true << QString();
    QTest::newRow("image gone") << "remove-image" << true << QPointF() << 0 << "no-image" << false << QString();
    QTest::newRow("corner outside") << "corner-outside" << true << QPointF() << 0 << "implausible" << false << QString();
    QTest::newRow("not a map") << "not-a-map" << true << QPointF() << 0 << "implausible" << false << QString();
    QTest::newRow("no sheet name") << "rename-image" << true << QPointF() << 0 << "no-frame" << false << QString();
    // The real reason of a point that cannot be read as it stands, not the
    // collapse of the corners it would give.
    QTest::newRow("x beyond 16 bits") << "x-40000" << true << QPointF() << 0 << "implausible" << false
                                      << "Point02's x \"40000\" is not within 0..32767";
    QTest::newRow("blank Point04") << "blank-point-4" << true << QPointF() << 0 << "implausible" << false
                                   << "Point04 has no pixel position";
}

void TestSheetVerdict::verdict()
{
    QFETCH(QString, setup);
    QFETCH(bool, frameFound);
    QFETCH(QPointF, frameShift);
    QFETCH(int, shiftedCorner);
    QFETCH(QString, verdict);
    QFETCH(bool, finderCalled);
    QFETCH(QString, reason);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString image = dir.filePath(QStringLiteral("N-37-013.jpg"));
    const QString mapPath = dir.filePath(QStringLiteral("N-37-013.map"));
    QVERIFY(SheetImages::write(image, SheetImages::jpeg(1000, 800)));
    QVERIFY(CheckSheets::createMaps(dir.path(), QStringLiteral("1:100K"), QStringLiteral("5")));
    SheetRecord sheet = SheetRecord::read(mapPath);
    QVERIFY2(sheet.readable, qPrintable(sheet.error));
    const Corners mapCorners = sheet.corners;

    if (setup == QLatin1String("remove-image")) {
        QVERIFY(QFile::remove(image));
    } else if (setup == QLatin1String("corner-outside")) {
        MapFile map;
        map.KeepReadLines = true;
        map.ReadMap(mapPath);
        Corners moved = mapCorners;
        moved[1] = QPointF(1003, moved[1].y());
        QCOMPARE(CornerEdit::apply(map, moved), QString());
        map.WriteMap(mapPath, false);
    } else if (setup == QLatin1String("not-a-map")) {
        QVERIFY(SheetImages::write(mapPath, "a map of the garden\r\n"));
    } else if (setup == QLatin1String("x-40000") || setup == QLatin1String("blank-point-4")) {
        QByteArray bytes = SheetImages::read(mapPath);
        const bool x = setup == QLatin1String("x-40000");
        const QRegularExpression point(x ? QStringLiteral("Point02,xy, *\\d+") : QStringLiteral("Point04,xy, *\\d+, *\\d+"));
        const QString text = QString::fromLatin1(bytes);
        QVERIFY(text.contains(point));
        bytes = QString(text).replace(point, x ? QStringLiteral("Point02,xy,40000") : QStringLiteral("Point04,xy,,")).toLatin1();
        QVERIFY(SheetImages::write(mapPath, bytes));
    } else if (setup == QLatin1String("rename-image")) {
        // The map names an image whose name is no sheet name: the finder cannot be told the sheet.
        QByteArray bytes = SheetImages::read(mapPath);
        bytes.replace("N-37-013.jpg", "garden.jpg");
        QVERIFY(SheetImages::write(mapPath, bytes));
        QVERIFY(QFile::rename(image, dir.filePath(QStringLiteral("garden.jpg"))));
    }
    sheet = SheetRecord::read(mapPath);

    FrameResult frame;
    frame.found = frameFound;
    frame.corners = mapCorners;
    frame.corners[size_t(shiftedCorner)] += frameShift;
    frame.imageSize = QSize(1000, 800);
    if (!frameFound)
        frame.reason = QStringLiteral("no lines");
    int calls = 0;
    QString askedFor;
    const SheetVerdict::Finder finder = [&](const QString &path, const SheetIdentity &identity) {
        ++calls;
        askedFor = path;
        if (!identity.ok() || identity.scale != 100)
            return FrameResult();
        return frame;
    };

    const SheetVerdict::Result r = SheetVerdict::judge(sheet, finder);
    QCOMPARE(SheetVerdict::text(r.kind), verdict);
    QCOMPARE(calls, finderCalled ? 1 : 0);
    QCOMPARE(r.finderRan, finderCalled);
    QCOMPARE(SheetVerdict::needsLook(r.kind), verdict != QLatin1String("ok"));
    if (finderCalled)
        QCOMPARE(QFileInfo(askedFor).canonicalFilePath(), QFileInfo(image).canonicalFilePath());
    if (verdict == QLatin1String("ok") || verdict == QLatin1String("off-frame")) {
        const double shift = std::hypot(frameShift.x(), frameShift.y());
        QVERIFY2(std::fabs(r.maxCornerOffset - shift) < 1e-9, qPrintable(QString::number(r.maxCornerOffset)));
    } else {
        QCOMPARE(r.maxCornerOffset, -1.0);
        QVERIFY(!r.reason.isEmpty());
        QVERIFY2(r.reason.contains(reason), qPrintable(r.reason));
    }
}

void TestSheetVerdict::cornerEditPlacesAsCreator_data()
{
    QTest::addColumn<QString>("scale");
    QTest::addColumn<QString>("points");
    QTest::addColumn<QString>("image");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QStringList>("margins"); // the second map's top, bottom, side margins

    QTest::newRow("1:100K, 5 points") << "1:100K" << "5" << "N-37-013.jpg" << QSize(1000, 800)
                                      << QStringList{"10", "8", "6"};
    QTest::newRow("1:50K, 9 points, odd sizes") << "1:50K" << "9" << "N-37-013-Б.jpg" << QSize(1237, 1111)
                                                << QStringList{"2", "11", "7"};
    QTest::newRow("1:25K, 4 points") << "1:25K" << "4" << "N-37-013-Б-в.jpg" << QSize(901, 999)
                                     << QStringList{"13", "1", "9"};
}

// Corners moved onto where the creator puts them with other margins give that
// creator's point lines and corner markers, and keep every other line.
void TestSheetVerdict::cornerEditPlacesAsCreator()
{
    QFETCH(QString, scale);
    QFETCH(QString, points);
    QFETCH(QString, image);
    QFETCH(QSize, size);
    QFETCH(QStringList, margins);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString a = dir.filePath(QStringLiteral("a"));
    const QString b = dir.filePath(QStringLiteral("b"));
    QVERIFY(QDir().mkpath(a) && QDir().mkpath(b));
    for (const QString &folder : {a, b})
        QVERIFY(SheetImages::write(folder + QLatin1Char('/') + image, SheetImages::jpeg(size.width(), size.height())));
    QVERIFY(CheckSheets::createMaps(a, scale, points));
    CheckSheets::Margins other;
    other.top = margins.at(0);
    other.bottom = margins.at(1);
    other.side = margins.at(2);
    QVERIFY(CheckSheets::createMaps(b, scale, points, other));
    const QString mapName = image.left(image.indexOf(QLatin1Char('.'))) + QStringLiteral(".map");
    const QByteArray before = SheetImages::read(a + QLatin1Char('/') + mapName);
    const QByteArray wanted = SheetImages::read(b + QLatin1Char('/') + mapName);
    QVERIFY(!before.isEmpty() && !wanted.isEmpty());
    QVERIFY(before != wanted);

    MapFile map;
    map.KeepReadLines = true;
    map.ReadBytes(before);
    const SheetRecord target = SheetRecord::read(b + QLatin1Char('/') + mapName);
    QCOMPARE(CornerEdit::apply(map, target.corners), QString());
    const QList<QByteArray> got = CheckSheets::lines(map.ToBytes());
    const QList<QByteArray> old = CheckSheets::lines(before);
    const QList<QByteArray> want = CheckSheets::lines(wanted);
    QCOMPARE(got.size(), old.size());
    QCOMPARE(want.size(), old.size());
    for (qsizetype i = 0; i < got.size(); ++i) {
        if (CheckSheets::isCalibrationLine(old.at(i)))
            QCOMPARE(got.at(i), want.at(i));
        else
            QCOMPARE(got.at(i), old.at(i));
    }
    QVERIFY(map.ToBytes().endsWith("\r\n"));
}

void TestSheetVerdict::imageLookup_data()
{
    QTest::addColumn<QString>("imageLine"); // the image line of the map
    QTest::addColumn<QString>("onDisk");    // the image file beside the map
    QTest::addColumn<bool>("found");

    QTest::newRow("plain name") << "N-37-013.jpg" << "N-37-013.jpg" << true;
    QTest::newRow("a Windows path") << "C:\\Scans\\100K\\N-37-013.jpg" << "N-37-013.jpg" << true;
    QTest::newRow("a Unix path") << "/mnt/scans/N-37-013.jpg" << "N-37-013.jpg" << true;
    QTest::newRow("other case") << "n-37-013.JPG" << "N-37-013.jpg" << true;
    QTest::newRow("another image") << "N-37-014.jpg" << "N-37-013.jpg" << false;
    QTest::newRow("no image line") << "" << "N-37-013.jpg" << false;
}

void TestSheetVerdict::imageLookup()
{
    QFETCH(QString, imageLine);
    QFETCH(QString, onDisk);
    QFETCH(bool, found);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(SheetImages::write(dir.filePath(QStringLiteral("N-37-013.jpg")), SheetImages::jpeg(1000, 800)));
    QVERIFY(CheckSheets::createMaps(dir.path(), QStringLiteral("1:100K"), QStringLiteral("5")));
    if (onDisk != QLatin1String("N-37-013.jpg"))
        QVERIFY(QFile::rename(dir.filePath(QStringLiteral("N-37-013.jpg")), dir.filePath(onDisk)));
    const QString mapPath = dir.filePath(QStringLiteral("N-37-013.map"));
    QList<QByteArray> lines = CheckSheets::lines(SheetImages::read(mapPath));
    lines[2] = imageLine.toLatin1();
    QVERIFY(SheetImages::write(mapPath, lines.join("\r\n") + "\r\n"));

    const SheetRecord r = SheetRecord::read(mapPath);
    QVERIFY(r.readable);
    QCOMPARE(r.imagePath.isEmpty(), !found);
    if (found) {
        QCOMPARE(QFileInfo(r.imagePath).fileName(), onDisk);
        QCOMPARE(r.imageSize, QSize(1000, 800));
    }
}

// A name that reads two ways ("N-37-1": 1:500K sheet А or 1:100K sheet 1)
// is the sheet its map was made for, found from the map's corners; a scale
// given decides.
void TestSheetVerdict::nameReadTwoWays_data()
{
    QTest::addColumn<QString>("madeAt");
    QTest::addColumn<int>("given"); // the scale the check is told, 0 for each name's own
    QTest::addColumn<int>("scale");
    QTest::newRow("made at 1:100K") << "1:100K" << 0 << 100;
    QTest::newRow("made at 1:500K") << "1:500K" << 0 << 500;
    QTest::newRow("made at 1:100K, told 1:500K") << "1:100K" << 500 << 500;
}

void TestSheetVerdict::nameReadTwoWays()
{
    QFETCH(QString, madeAt);
    QFETCH(int, given);
    QFETCH(int, scale);
    QTemporaryDir dir;
    QVERIFY(SheetImages::write(dir.filePath(QStringLiteral("N-37-1.jpg")), SheetImages::jpeg(1000, 800)));
    QVERIFY(CheckSheets::createMaps(dir.path(), madeAt, QStringLiteral("5")));
    const SheetRecord sheet = SheetRecord::read(dir.filePath(QStringLiteral("N-37-1.map")));
    QVERIFY2(sheet.readable, qPrintable(sheet.error));
    const SheetIdentity id = SheetVerdict::identityFor(QStringLiteral("N-37-1.jpg"), given, &sheet);
    QVERIFY2(id.ok(), qPrintable(id.error));
    QCOMPARE(id.scale, scale);
    QCOMPARE(id.list, qint16(1));
    int asked = 0;
    SheetVerdict::judge(sheet, [&](const QString &, const SheetIdentity &identity) {
        asked = identity.scale;
        return FrameResult();
    }, given);
    QCOMPARE(asked, scale);
}

QTEST_GUILESS_MAIN(TestSheetVerdict)
#include "tst_sheetverdict.moc"
