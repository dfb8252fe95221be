// What the tools tell about each file: the map creator's warnings (a name of
// another scale, an image without a size) that leave the maps as they would
// be, the outcome of every file, the progress total, and corner markers added
// to a map that has none.

#include "common/MapFolderFixture.h"
#include "common/RecordingObserver.h"
#include "common/SheetImages.h"

#include "tools/CornerMarkersRun.h"
#include "tools/MapCreatorOptions.h"
#include "tools/MapCreatorRun.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace MapFolderFixture;
using Outcome = RunObserver::FileOutcome;

namespace {

// Records the per-file outcomes and the progress totals as well.
class OutcomeObserver : public RecordingObserver
{
public:
    struct Result
    {
        QString file;
        Outcome outcome;
        QString text;
    };
    QList<Result> results;
    QList<int> totals;

    void fileResult(const QString &fileName, Outcome outcome, const QString &text) override
    {
        results.append({fileName, outcome, text});
    }
    void progress(int index, int total, const QString &name) override
    {
        totals.append(total);
        RecordingObserver::progress(index, total, name);
    }
    QList<Result> of(Outcome outcome) const
    {
        QList<Result> out;
        for (const Result &r : results) {
            if (r.outcome == outcome)
                out.append(r);
        }
        return out;
    }
};

QByteArray imageBytes(const QString &kind)
{
    if (kind == QLatin1String("jpg"))
        return SheetImages::jpeg(1000, 800);
    if (kind == QLatin1String("png"))
        return SheetImages::png(1000, 800);
    if (kind == QLatin1String("text"))
        return QByteArray("these are not the pixels you are looking for\r\n");
    if (kind == QLatin1String("broken jpg"))
        return QByteArray::fromHex("FFD8FFE0001000");
    return QByteArray();
}

QString writeFolder(const QString &root, const QString &name, const QStringList &files, const QString &kind)
{
    const QString folder = root + QLatin1Char('/') + name;
    QDir().mkpath(folder);
    for (const QString &f : files)
        SheetImages::write(folder + QLatin1Char('/') + f, imageBytes(kind));
    return folder;
}

QList<QByteArray> linesOf(const QString &path)
{
    return linesWithEnds(readAll(path));
}

// gk5-pul42.map (CR LF) with lines [from, to] taken out.
QByteArray gk5Without(int from, int to, bool crlf)
{
    QByteArray bytes = readAll(fixturePath(QStringLiteral("gk5-pul42.map")));
    if (crlf)
        bytes = toCrLf(bytes);
    for (int i = to; i >= from; --i)
        bytes = removeLine(bytes, i);
    return bytes;
}

} // namespace

class TestFileOutcomes : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_tmp;
    int m_case = 0;

    QString caseFolder()
    {
        const QString path = m_tmp.filePath(QString::number(++m_case));
        QDir().mkpath(path);
        return path;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_tmp.isValid());
        const QString missing = missingFixtures();
        QVERIFY2(missing.isEmpty(), qPrintable(QStringLiteral("missing test fixtures: ") + missing));
    }

    // A doubtful image gets its map all the same, byte for byte the map of a
    // plain image of the same sheet, and a warning that names what is wrong.
    void creatorWarnsAndWritesTheSameMap_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("scale");
        QTest::addColumn<QString>("plainName"); // the same sheet, named for the scale
        QTest::addColumn<QString>("plainKind"); // the content the map is the same as
        QTest::addColumn<QString>("warningNames"); // what the warning must name

        QTest::newRow("1:25K name at 1:100K") << QStringLiteral("N-37-001-А-а.jpg") << "jpg" << "1:100K"
                                              << "N-37-001.jpg" << "jpg" << "1:25K";
        QTest::newRow("1:50K name at 1:100K") << QStringLiteral("N-37-002-Б.png") << "png" << "1:100K"
                                              << "N-37-002.png" << "png" << "1:50K";
        QTest::newRow("1:100K name at 1:1M") << QStringLiteral("N-37-001.jpg") << "jpg" << "1:1M"
                                             << "N-37.jpg" << "jpg" << "1:100K";
        QTest::newRow("text file named .jpg") << QStringLiteral("N-37-001.jpg") << "text" << "1:100K"
                                              << "N-37-001.tif" << "none" << "4000 x 4000";
        QTest::newRow("broken .jpg") << QStringLiteral("N-37-013.jpg") << "broken jpg" << "1:100K"
                                     << "N-37-013.ozf" << "none" << "4000 x 4000";
    }
    void creatorWarnsAndWritesTheSameMap()
    {
        QFETCH(QString, fileName);
        QFETCH(QString, kind);
        QFETCH(QString, scale);
        QFETCH(QString, plainName);
        QFETCH(QString, plainKind);
        QFETCH(QString, warningNames);

        const QString root = caseFolder();
        MapCreatorOptions o;
        o.scaleText = scale;
        o.pointsText = QStringLiteral("5");
        o.maskText = QStringLiteral("R-CC-LLL");
        o.inFolder = o.outFolder = writeFolder(root, QStringLiteral("doubtful"), {fileName}, kind);
        OutcomeObserver doubtful;
        const RunResult r = MapCreatorRun::run(o, doubtful);
        QCOMPARE(r.failed, 0);
        QCOMPARE(r.count, 1);

        const auto warnings = doubtful.of(Outcome::Warning);
        QCOMPARE(warnings.size(), 1);
        QCOMPARE(warnings.first().file, fileName);
        QVERIFY2(warnings.first().text.contains(warningNames), qPrintable(warnings.first().text));
        QCOMPARE(doubtful.of(Outcome::Written).size(), 1);
        // A warning is no message box and no question.
        QVERIFY(doubtful.questions.isEmpty());

        o.inFolder = o.outFolder = writeFolder(root, QStringLiteral("plain"), {plainName}, plainKind);
        OutcomeObserver plain;
        MapCreatorRun::run(o, plain);
        QVERIFY(plain.of(Outcome::Warning).isEmpty());

        const auto mapOf = [](const QString &folder, const QString &image) {
            return folder + QLatin1Char('/') + image.left(image.indexOf(QLatin1Char('.'))) + QStringLiteral(".map");
        };
        const QList<QByteArray> got = linesOf(mapOf(root + QStringLiteral("/doubtful"), fileName));
        const QList<QByteArray> want = linesOf(mapOf(root + QStringLiteral("/plain"), plainName));
        QCOMPARE(got.size(), want.size());
        QVERIFY(got.size() > 3);
        // Line 2 names the image; every other line is the plain map's.
        for (int i = 0; i < got.size(); ++i) {
            if (i != 2)
                QCOMPARE(got.at(i), want.at(i));
        }
    }

    // Each file ends in one outcome; the progress total is the number of sheet
    // images, whatever else the folder holds.
    void creatorOutcomesAndTotal_data()
    {
        QTest::addColumn<QStringList>("images");
        QTest::addColumn<QStringList>("others");  // map files and other files beside them
        QTest::addColumn<bool>("skip");
        QTest::addColumn<int>("written");
        QTest::addColumn<int>("skipped");
        QTest::addColumn<int>("failed");

        QTest::newRow("new maps") << QStringList{"N-37-001.jpg", "N-37-002.jpg"} << QStringList{"readme.txt"}
                                  << false << 2 << 0 << 0;
        QTest::newRow("maps exist, written again")
            << QStringList{"N-37-001.jpg", "N-37-002.jpg", "N-37-013.jpg"}
            << QStringList{"N-37-001.map", "N-37-002.map", "N-37-013.map"} << false << 3 << 0 << 0;
        QTest::newRow("maps exist, skipped") << QStringList{"N-37-001.jpg", "N-37-002.jpg"}
                                             << QStringList{"N-37-001.map", "N-37-002.map"} << true << 0 << 2 << 0;
        QTest::newRow("one bad name") << QStringList{"N-37-001.jpg", "X-37-001.jpg", "N-37-145.jpg"}
                                      << QStringList{"N-37-001.jpeg"} << false << 1 << 0 << 2;
        QTest::newRow("empty folder") << QStringList{} << QStringList{} << false << 0 << 0 << 0;
    }
    void creatorOutcomesAndTotal()
    {
        QFETCH(QStringList, images);
        QFETCH(QStringList, others);
        QFETCH(bool, skip);
        QFETCH(int, written);
        QFETCH(int, skipped);
        QFETCH(int, failed);

        const QString folder = caseFolder();
        for (const QString &f : images)
            QVERIFY(SheetImages::write(folder + QLatin1Char('/') + f, SheetImages::jpeg(1000, 800)));
        // The maps beside the images are made by a first run, the other files are empty.
        if (!others.filter(QStringLiteral(".map")).isEmpty()) {
            MapCreatorOptions first;
            first.scaleText = QStringLiteral("1:100K");
            first.maskText = QStringLiteral("R-CC-LLL");
            first.inFolder = first.outFolder = folder;
            OutcomeObserver quiet;
            MapCreatorRun::run(first, quiet);
        }
        for (const QString &f : others) {
            if (!QFile::exists(folder + QLatin1Char('/') + f))
                QVERIFY(writeAll(folder + QLatin1Char('/') + f, QByteArray("x")));
        }

        MapCreatorOptions o;
        o.scaleText = QStringLiteral("1:100K");
        o.maskText = QStringLiteral("R-CC-LLL");
        o.inFolder = o.outFolder = folder;
        o.skipExisting = skip;
        OutcomeObserver obs;
        const RunResult r = MapCreatorRun::run(o, obs);

        QCOMPARE(obs.of(Outcome::Written).size(), written);
        QCOMPARE(obs.of(Outcome::Skipped).size(), skipped);
        QCOMPARE(obs.of(Outcome::Failed).size(), failed);
        QCOMPARE(r.failed, failed);
        // One outcome for every image, no more.
        QCOMPARE(obs.results.size() - obs.of(Outcome::Warning).size(), images.size());
        for (const auto &f : obs.of(Outcome::Failed))
            QVERIFY2(!f.text.isEmpty() && obs.texts().contains(f.text), qPrintable(f.text));
        QCOMPARE(obs.totals.size(), images.size());
        for (int total : obs.totals)
            QCOMPARE(total, images.size());
    }

    // A map with four usable points and no corner lines gets the eight, in the
    // place a new map has them; every other line keeps its bytes.
    void cornerLinesAdded_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("at"); // the index the eight lines are expected at
        QTest::addColumn<bool>("crlf");

        // gk5-pul42.map: 43 MM0, 44 MMPNUM, 45..52 the corner lines, 53 MM1B.
        for (bool crlf : {true, false}) {
            const char *ends = crlf ? " (CR LF)" : " (LF)";
            QTest::newRow(qPrintable(QStringLiteral("after MMPNUM") + ends)) << gk5Without(45, 52, crlf) << 45 << crlf;
            QTest::newRow(qPrintable(QStringLiteral("no MMPNUM: after MM0") + ends))
                << gk5Without(44, 52, crlf) << 44 << crlf;
            QTest::newRow(qPrintable(QStringLiteral("no MMPNUM, no MM0: before MM1B") + ends))
                << gk5Without(43, 52, crlf) << 43 << crlf;
        }
        // MMPNUM as the last line, without a line end.
        QByteArray last = gk5Without(45, 55, true);
        last.chop(2);
        QTest::newRow("MMPNUM last, no line end") << last << 45 << true;
    }
    void cornerLinesAdded()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, at);
        QFETCH(bool, crlf);

        const QString folder = caseFolder();
        const QString path = folder + QStringLiteral("/gk5.map");
        QVERIFY(writeAll(path, bytes));
        OutcomeObserver obs;
        const RunResult r = CornerMarkersRun::run(folder, obs);
        QCOMPARE(r.failed, 0);
        QCOMPARE(obs.of(Outcome::Written).size(), 1);

        // The corners of the 3 x 3 grid (NW Point01, NE Point03, SE Point09,
        // SW Point07), their degrees worked out by hand from the point lines.
        const QList<QByteArray> corners{
            "MMPXY,1,0,0", "MMPXY,2,120,0", "MMPXY,3,120,120", "MMPXY,4,0,120",
            "MMPLL,1,-13.131390 , 1.569273", "MMPLL,2,-13.061755 , 1.570898",
            "MMPLL,3,-13.060177 , 1.500783", "MMPLL,4,-13.129812 , 1.499232"};
        const QList<QByteArray> before = linesWithEnds(bytes);
        const QList<QByteArray> after = linesOf(path);
        QCOMPARE(after.size(), before.size() + 8);
        for (int i = 0; i < at; ++i) {
            if (i == at - 1 && !before.at(i).endsWith('\n'))
                QCOMPARE(withoutEnd(after.at(i)), before.at(i)); // it got a line end
            else
                QCOMPARE(after.at(i), before.at(i));
        }
        for (int k = 0; k < 8; ++k) {
            QCOMPARE(withoutEnd(after.at(at + k)), corners.at(k));
            QVERIFY(after.at(at + k).endsWith(crlf ? "\r\n" : "\n"));
            if (!crlf)
                QVERIFY(!after.at(at + k).endsWith("\r\n"));
        }
        for (int i = at; i < before.size(); ++i)
            QCOMPARE(after.at(i + 8), before.at(i));
    }

    // Without four usable points the map is refused and left as it was.
    void cornerLinesNotAddedWithoutPoints_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        // nogcps.map: one point with a position; its corner lines taken out.
        QByteArray one = readAll(fixturePath(QStringLiteral("nogcps.map")));
        const QList<QByteArray> lines = linesWithEnds(one);
        QByteArray stripped;
        for (const QByteArray &l : lines) {
            if (!l.startsWith("MMPXY") && !l.startsWith("MMPLL"))
                stripped += l;
        }
        QTest::newRow("one point") << stripped;
        // gk5 without corner lines and with all but three points blanked.
        QByteArray three = gk5Without(45, 52, true);
        for (int i = 12; i <= 17; ++i)
            three = replaceLine(three, i, "Point0" + QByteArray::number(i - 8)
                                              + ",xy,     ,     ,in, deg,    ,        ,N,    ,        ,W, grid,   ,           ,           ,N");
        QTest::newRow("three points") << three;
    }
    void cornerLinesNotAddedWithoutPoints()
    {
        QFETCH(QByteArray, bytes);
        const QString folder = caseFolder();
        const QString path = folder + QStringLiteral("/few.map");
        QVERIFY(writeAll(path, bytes));
        OutcomeObserver obs;
        const RunResult r = CornerMarkersRun::run(folder, obs);
        QCOMPARE(r.failed, 1);
        QCOMPARE(obs.of(Outcome::Failed).size(), 1);
        QCOMPARE(readAll(path), bytes);
    }
};

QTEST_GUILESS_MAIN(TestFileOutcomes)
#include "tst_fileoutcomes.moc"
