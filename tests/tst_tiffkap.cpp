// The size readers of TIFF files and BSB charts: hand-made headers of every
// layout the reader takes and of the broken ones it must refuse, files made by
// ImageMagick, and the map creator taking the size from them.

#include "imageinfo/KapHeader.h"
#include "imageinfo/TiffHeader.h"
#include "tools/MapCreatorOptions.h"
#include "tools/MapCreatorRun.h"
#include "common/CliRun.h"
#include "common/RecordingObserver.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// One directory entry as the test writes it.
struct Entry
{
    quint16 tag;
    quint16 type;
    quint64 value;
};

// Writes TIFF bytes by hand: header, padding, then one directory per list of
// entries, each directory's next offset pointing at the following one (or at
// `lastNext`, default 0). `firstOffset` overrides the header's offset.
class TiffBytes
{
public:
    TiffBytes(bool bigEndian, bool bigTiff) : m_big(bigEndian), m_bigTiff(bigTiff) {}

    void put(QByteArray &b, quint64 v, int size) const
    {
        for (int i = 0; i < size; ++i) {
            const int shift = m_big ? (size - 1 - i) * 8 : i * 8;
            b.append(char((v >> shift) & 0xFF));
        }
    }

    int typeSize(quint16 type) const
    {
        return type == 3 ? 2 : type == 4 ? 4 : type == 16 ? 8 : type == 1 ? 1 : 4;
    }

    QByteArray build(const QList<QList<Entry>> &dirs, int padding = 0, qint64 firstOffset = -1,
                     qint64 lastNext = 0) const
    {
        QByteArray b;
        b.append(m_big ? "MM" : "II");
        const int headerSize = m_bigTiff ? 16 : 8;
        const int countSize = m_bigTiff ? 8 : 2;
        const int entrySize = m_bigTiff ? 20 : 12;
        const int valueSize = m_bigTiff ? 8 : 4;
        QList<quint64> offsets;
        quint64 at = quint64(headerSize + padding);
        for (const auto &d : dirs) {
            offsets.append(at);
            at += quint64(countSize + d.size() * entrySize + valueSize);
        }
        const quint64 first = firstOffset >= 0 ? quint64(firstOffset) : (offsets.isEmpty() ? 0 : offsets.first());
        if (m_bigTiff) {
            put(b, 43, 2);
            put(b, 8, 2);
            put(b, 0, 2);
            put(b, first, 8);
        } else {
            put(b, 42, 2);
            put(b, first, 4);
        }
        b.append(QByteArray(padding, '\0'));
        for (int i = 0; i < dirs.size(); ++i) {
            put(b, quint64(dirs[i].size()), countSize);
            for (const Entry &e : dirs[i]) {
                put(b, e.tag, 2);
                put(b, e.type, 2);
                put(b, 1, m_bigTiff ? 8 : 4);
                // Left-justified value, the rest of the field zero.
                QByteArray value;
                put(value, e.value, typeSize(e.type));
                value.append(QByteArray(valueSize - value.size(), '\0'));
                b.append(value);
            }
            put(b, i + 1 < dirs.size() ? offsets[i + 1] : quint64(lastNext), valueSize);
        }
        return b;
    }

private:
    bool m_big;
    bool m_bigTiff;
};

QList<Entry> sizeEntries(quint16 type, quint64 w, quint64 h)
{
    // A few other tags around the two, as real files have them.
    return {{254, 4, 0}, {256, type, w}, {257, type, h}, {258, 3, 8}, {259, 3, 1}};
}

} // namespace

class TestTiffKap : public QObject
{
    Q_OBJECT

private slots:
    void tiffLayouts_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<quint64>("width");
        QTest::addColumn<quint64>("height");
        QTest::addColumn<bool>("bigEndian");
        QTest::addColumn<bool>("bigTiff");

        const TiffBytes le(false, false), be(true, false), ble(false, true), bbe(true, true);
        QTest::newRow("classic LE SHORT") << le.build({sizeEntries(3, 1234, 987)}) << true << quint64(1234)
                                          << quint64(987) << false << false;
        QTest::newRow("classic BE SHORT") << be.build({sizeEntries(3, 4321, 789)}) << true << quint64(4321)
                                          << quint64(789) << true << false;
        QTest::newRow("classic LE LONG") << le.build({sizeEntries(4, 70000, 30001)}) << true << quint64(70000)
                                         << quint64(30001) << false << false;
        QTest::newRow("classic BE LONG") << be.build({sizeEntries(4, 5000, 6000)}) << true << quint64(5000)
                                         << quint64(6000) << true << false;
        QTest::newRow("mixed SHORT width LONG height")
            << le.build({{{256, 3, 640}, {257, 4, 480}}}) << true << quint64(640) << quint64(480) << false << false;
        QTest::newRow("BigTIFF LE LONG8") << ble.build({sizeEntries(16, 5000000000ULL, 3)}) << true
                                          << quint64(5000000000ULL) << quint64(3) << false << true;
        QTest::newRow("BigTIFF BE LONG8") << bbe.build({sizeEntries(16, 2048, 1536)}) << true << quint64(2048)
                                          << quint64(1536) << true << true;
        QTest::newRow("BigTIFF BE SHORT") << bbe.build({sizeEntries(3, 300, 200)}) << true << quint64(300)
                                          << quint64(200) << true << true;
        QTest::newRow("directory far into the file")
            << be.build({sizeEntries(4, 800, 600)}, 200000) << true << quint64(800) << quint64(600) << true << false;
        QTest::newRow("size in the second directory")
            << le.build({{{254, 4, 1}}, sizeEntries(3, 111, 222)}) << true << quint64(111) << quint64(222) << false
            << false;

        QTest::newRow("offset past the end") << le.build({sizeEntries(3, 10, 10)}, 0, 1000000) << false
                                             << quint64(0) << quint64(0) << false << false;
        QTest::newRow("BigTIFF offset past the end")
            << bbe.build({sizeEntries(16, 10, 10)}, 0, 0x7FFFFFFFFFFFLL) << false << quint64(0) << quint64(0)
            << true << true;
        QTest::newRow("directory loops to itself") << le.build({{{254, 4, 1}}}, 0, -1, 8) << false << quint64(0)
                                                   << quint64(0) << false << false;
        QTest::newRow("two directories loop")
            << be.build({{{254, 4, 1}}, {{255, 3, 1}}}, 0, -1, 8) << false << quint64(0) << quint64(0) << true
            << false;
        QTest::newRow("offset into the header") << le.build({sizeEntries(3, 10, 10)}, 0, 4) << false << quint64(0)
                                                << quint64(0) << false << false;
        QTest::newRow("no size tags") << le.build({{{258, 3, 8}}}) << false << quint64(0) << quint64(0) << false
                                      << false;
        QTest::newRow("width of type RATIONAL") << le.build({{{256, 5, 10}, {257, 3, 10}}}) << false << quint64(0)
                                                << quint64(0) << false << false;
        QByteArray cut = le.build({sizeEntries(3, 10, 10)});
        cut.chop(20);
        QTest::newRow("directory cut short") << cut << false << quint64(0) << quint64(0) << false << false;
        QTest::newRow("not a TIFF") << QByteArray("GIF89a\x10\x00\x10\x00", 10) << false << quint64(0)
                                    << quint64(0) << false << false;
        QTest::newRow("empty file") << QByteArray() << false << quint64(0) << quint64(0) << false << false;
    }

    void tiffLayouts()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, ok);
        QFETCH(quint64, width);
        QFETCH(quint64, height);
        QFETCH(bool, bigEndian);
        QFETCH(bool, bigTiff);

        QBuffer buffer(&bytes);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        TiffHeader tiff;
        QCOMPARE(tiff.read(buffer), ok);
        if (ok) {
            QCOMPARE(tiff.width(), width);
            QCOMPARE(tiff.height(), height);
            QCOMPARE(tiff.bigEndian(), bigEndian);
            QCOMPARE(tiff.bigTiff(), bigTiff);
        } else {
            QVERIFY2(!tiff.errorString().isEmpty(), "a refused header says why");
        }
    }

    void kapHeaders_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<quint64>("width");
        QTest::addColumn<quint64>("height");

        QTest::newRow("RA on the BSB line")
            << QByteArray("!Copyright\r\nVER/2.0\r\nBSB/NA=Harbour,NU=123,RA=6432,4412,DU=254\r\nKNP/SC=20000\r\n\x1A\x00\x07", 74)
            << true << quint64(6432) << quint64(4412);
        QTest::newRow("RA on a continuation line")
            << QByteArray("BSB/NA=Sound\n    NU=9,\n    RA= 1200 , 900,DU=300\n\x1A") << true << quint64(1200)
            << quint64(900);
        QTest::newRow("RA first on a line") << QByteArray("RA=77,66\r\n") << true << quint64(77) << quint64(66);
        QTest::newRow("DRA is not RA") << QByteArray("BSB/DRA=5,5,RA=10,20\r\n") << true << quint64(10)
                                       << quint64(20);
        QTest::newRow("no RA") << QByteArray("BSB/NA=Nothing,NU=1,DU=254\r\nKNP/SC=1\r\n\x1A") << false
                               << quint64(0) << quint64(0);
        QTest::newRow("RA after the header's end") << QByteArray("BSB/NA=X\r\n\x1ARA=10,10") << false << quint64(0)
                                                   << quint64(0);
        QTest::newRow("RA without height") << QByteArray("BSB/RA=640\r\n") << false << quint64(0) << quint64(0);
        QTest::newRow("RA zero") << QByteArray("BSB/RA=0,480\r\n") << false << quint64(0) << quint64(0);
        QTest::newRow("empty") << QByteArray() << false << quint64(0) << quint64(0);
    }

    void kapHeaders()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, ok);
        QFETCH(quint64, width);
        QFETCH(quint64, height);
        QBuffer buffer(&bytes);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        KapHeader kap;
        QCOMPARE(kap.read(buffer), ok);
        QCOMPARE(kap.width(), width);
        QCOMPARE(kap.height(), height);
        if (!ok)
            QVERIFY(!kap.errorString().isEmpty());
    }

    // Real TIFF files of every flavour ImageMagick writes.
    void imageMagickTiffs_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("size");
        QTest::addColumn<bool>("bigTiff");
        QTest::addColumn<bool>("bigEndian");
        QTest::newRow("plain") << QStringList{} << "321x123" << false << false;
        QTest::newRow("big-endian") << QStringList{"-define", "tiff:endian=msb"} << "77x1500" << false << true;
        QTest::newRow("BigTIFF") << QStringList{} << "640x480" << true << false;
        QTest::newRow("BigTIFF big-endian") << QStringList{"-define", "tiff:endian=msb"} << "1000x999" << true << true;
        QTest::newRow("compressed, tiled") << QStringList{"-compress", "lzw", "-define", "tiff:tile-geometry=64x64"}
                                           << "300x200" << false << false;
    }

    void imageMagickTiffs()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, size);
        QFETCH(bool, bigTiff);
        QFETCH(bool, bigEndian);
        const QString convert = QStandardPaths::findExecutable("convert");
        if (convert.isEmpty())
            QSKIP("ImageMagick's convert is not installed (scripts/setup.sh installs it)");
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString file = dir.filePath("sheet.tif");
        QStringList args{"-size", size, "xc:gray"};
        args << options << ((bigTiff ? "TIFF64:" : "TIFF:") + file);
        QProcess p;
        p.start(convert, args);
        QVERIFY(p.waitForFinished(60000));
        QVERIFY2(p.exitCode() == 0 && QFile::exists(file), p.readAllStandardError().constData());

        TiffHeader tiff;
        QVERIFY2(tiff.read(file), qPrintable(tiff.errorString()));
        const QStringList wh = size.split('x');
        QCOMPARE(tiff.width(), wh[0].toULongLong());
        QCOMPARE(tiff.height(), wh[1].toULongLong());
        QCOMPARE(tiff.bigTiff(), bigTiff);
        QCOMPARE(tiff.bigEndian(), bigEndian);
    }

    // The map creator takes the size of a TIFF or chart from its header; only
    // the unreadable ones fall back to 4000 x 4000 and the one warning.
    void creatorSizes_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("iwh");
        QTest::addColumn<int>("warnings");
        const TiffBytes be(true, false);
        QTest::newRow("TIFF") << "N-37-001.tif" << be.build({sizeEntries(4, 5123, 4211)}) << "5123,4211" << 0;
        QTest::newRow("KAP") << "N-37-002.KAP" << QByteArray("BSB/NA=x,RA=2500,1800\r\n\x1A") << "2500,1800" << 0;
        QTest::newRow("CAP") << "N-37-003.cap" << QByteArray("BSB/NA=x,RA=900,700\r\n\x1A") << "900,700" << 0;
        QTest::newRow("TIFF looping") << "N-37-004.tif" << be.build({{{254, 4, 1}}}, 0, -1, 8) << "4000,4000" << 1;
        QTest::newRow("KAP without RA") << "N-37-005.kap" << QByteArray("BSB/NA=x\r\n\x1A") << "4000,4000" << 1;
    }

    void creatorSizes()
    {
        QFETCH(QString, fileName);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, iwh);
        QFETCH(int, warnings);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QFile image(dir.filePath(fileName));
        QVERIFY(image.open(QIODevice::WriteOnly));
        image.write(bytes);
        image.close();

        MapCreatorOptions options;
        options.inFolder = dir.path();
        options.outFolder = dir.path();
        options.scaleText = "1:100K";
        options.maskText = "R-CC-LLL";
        options.pointsText = "4";
        options.gridMode = 0;
        RecordingObserver observer;
        MapCreatorRun::run(options, observer);

        int warningCount = 0;
        for (const auto &m : observer.messages)
            warningCount += m.caption == "Warning" ? 1 : 0;
        QCOMPARE(warningCount, warnings);
        QFile map(dir.filePath(fileName.section('.', 0, 0) + ".map"));
        QVERIFY(map.open(QIODevice::ReadOnly));
        const QByteArray text = map.readAll();
        QVERIFY2(text.contains("IWH,Map Image Width/Height," + iwh.toLatin1() + "\r\n"), text.constData());
    }

    // `quillmark-cli info` shows the size of TIFF files and charts, and the
    // reason when a header cannot be read.
    void cliInfo_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("expected"); // in stdout, or in stderr when the exit code is 1
        const TiffBytes be(true, false);
        const TiffBytes ble(false, true);
        QTest::newRow("TIFF") << "a.tif" << be.build({sizeEntries(3, 812, 613)}) << 0
                              << "a.tif: 812 x 613, TIFF, big-endian";
        QTest::newRow("BigTIFF") << "b.tif" << ble.build({sizeEntries(16, 9000, 7000)}) << 0
                                 << "b.tif: 9000 x 7000, BigTIFF, little-endian";
        QTest::newRow("KAP") << "c.kap" << QByteArray("BSB/NA=x,RA=640,480\r\n\x1A") << 0 << "c.kap: 640 x 480, KAP";
        QTest::newRow("TIFF past the end") << "d.tif" << be.build({sizeEntries(3, 1, 1)}, 0, 99999) << 1
                                           << "lies past the end of the file";
        QTest::newRow("KAP without RA") << "e.KAP" << QByteArray("BSB/NA=x\r\n") << 1 << "no RA= field";
    }

    void cliInfo()
    {
        QFETCH(QString, fileName);
        QFETCH(QByteArray, bytes);
        QFETCH(int, exitCode);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QFile f(dir.filePath(fileName));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        const QString old = QDir::currentPath();
        QDir::setCurrent(dir.path());
        const CliRun r = CliRun::run({"info", fileName});
        QDir::setCurrent(old);
        QCOMPARE(r.exitCode, exitCode);
        const QString text = exitCode == 0 ? r.outText() : r.errText();
        QVERIFY2(text.contains(expected), qPrintable(text));
    }
};

QTEST_GUILESS_MAIN(TestTiffKap)
#include "tst_tiffkap.moc"
