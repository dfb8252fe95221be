// Scans decoded for the eye: every format a scan comes in gives the same
// picture, fitted into the thumbnail's size, with the scan's own pixel size;
// a scan too large for memory is refused from its header, before decoding.
#include "common/NotRegularFile.h"
#include "frame/FrameImage.h"
#include "frame/ScanPicture.h"
#include "frame/SheetDrawer.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>


namespace {

// Mean difference of the grey levels of two images of one size.
double meanGreyDifference(const QImage &a, const QImage &b)
{
    const QImage ga = a.convertToFormat(QImage::Format_Grayscale8);
    const QImage gb = b.convertToFormat(QImage::Format_Grayscale8);
    double sum = 0;
    for (int y = 0; y < ga.height(); ++y) {
        const uchar *pa = ga.constScanLine(y);
        const uchar *pb = gb.constScanLine(y);
        for (int x = 0; x < ga.width(); ++x)
            sum += std::abs(int(pa[x]) - int(pb[x]));
    }
    return sum / (double(ga.width()) * ga.height());
}

// The 1200 x 900 scan of the tests, as a file of the given format in `dir`.
QString drawScan(const QTemporaryDir &dir, const QString &format)
{
    return SheetDrawer::drawNonSheet(NonSheet::MapFragment, 1200, 900, 3, dir.path(), QStringLiteral("scan"), format);
}

} // namespace

class TestScanPicture : public QObject
{
    Q_OBJECT
private slots:
    void formats_data();
    void formats();
    void refusedBeforeDecoding_data();
    void refusedBeforeDecoding();
    void cutShortWarned_data();
    void cutShortWarned();
    void notARegularFile_data();
    void notARegularFile();
};

void TestScanPicture::formats_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<int>("maxSide");
    QTest::addColumn<QSize>("expected");
    // The scan is 1200 x 900.
    QTest::newRow("jpg thumbnail") << "jpg" << 200 << QSize(200, 150);
    QTest::newRow("jpg thumbnail at an eighth or less (DC coefficients)") << "jpg" << 100 << QSize(100, 75);
    QTest::newRow("png thumbnail") << "png" << 200 << QSize(200, 150);
    QTest::newRow("bmp thumbnail") << "bmp" << 200 << QSize(200, 150);
    QTest::newRow("gif thumbnail") << "gif" << 200 << QSize(200, 150);
    QTest::newRow("tif thumbnail (Qt has no TIFF reader here)") << "tif" << 200 << QSize(200, 150);
    QTest::newRow("tif full size") << "tif" << 0 << QSize(1200, 900);
    QTest::newRow("jpg full size") << "jpg" << 0 << QSize(1200, 900);
    QTest::newRow("smaller than the thumbnail stays as it is") << "png" << 2000 << QSize(1200, 900);
}

void TestScanPicture::formats()
{
    QFETCH(QString, format);
    QFETCH(int, maxSide);
    QFETCH(QSize, expected);
    QTemporaryDir dir;
    const QString path = drawScan(dir, format);
    QVERIFY(QFile::exists(path));

    const ScanPicture::Result r = ScanPicture::read(path, maxSide);
    QVERIFY2(!r.image.isNull(), qPrintable(r.error));
    QCOMPARE(r.sourceSize, QSize(1200, 900));
    QCOMPARE(r.image.size(), expected);
    QVERIFY2(r.warning.isEmpty(), qPrintable(r.warning));

    // The same picture as the PNG drawn from the same seed, scaled alike.
    const QString reference = SheetDrawer::drawNonSheet(NonSheet::MapFragment, 1200, 900, 3, dir.path(),
                                                        QStringLiteral("reference"), QStringLiteral("png"));
    const QImage full(reference);
    QVERIFY(!full.isNull());
    const QImage scaled = full.scaled(expected, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const double difference = meanGreyDifference(r.image, scaled);
    QVERIFY2(difference < 16, qPrintable(QStringLiteral("mean grey difference %1").arg(difference)));
}

void TestScanPicture::refusedBeforeDecoding_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QSize>("claimed");

    // A BMP header that claims 30000 x 30000 pixels of 24 bits: 2.7 GB to decode.
    QByteArray bmp(54, '\0');
    bmp[0] = 'B';
    bmp[1] = 'M';
    bmp[14] = 40;
    const qint32 side = 30000;
    memcpy(bmp.data() + 18, &side, 4);
    memcpy(bmp.data() + 22, &side, 4);
    bmp[26] = 1;
    bmp[28] = 24;
    QTest::newRow("BMP, more pixels than a decode holds") << "huge.bmp" << bmp << QSize(side, side);

    // A JPEG's thumbnail may come from more pixels than a full decode holds,
    // but not from sides longer than a map file can address: a small JPEG
    // whose frame header claims 40000 x 300.
    QByteArray jpeg;
    QImage small(64, 48, QImage::Format_RGB32);
    small.fill(Qt::gray);
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    small.save(&buffer, "JPG", 90);
    const qsizetype sof = jpeg.indexOf(QByteArray("\xFF\xC0", 2));
    const QSize wide(40000, 300);
    if (sof > 0) {
        jpeg[sof + 5] = char(wide.height() >> 8);
        jpeg[sof + 6] = char(wide.height() & 0xFF);
        jpeg[sof + 7] = char(wide.width() >> 8);
        jpeg[sof + 8] = char(wide.width() & 0xFF);
    }
    QTest::newRow("JPEG, sides longer than a map file holds") << "wide.jpg" << jpeg << wide;
}

void TestScanPicture::refusedBeforeDecoding()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QSize, claimed);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();

    for (int maxSide : {0, 200}) {
        const ScanPicture::Result r = ScanPicture::read(path, maxSide);
        QVERIFY(r.image.isNull());
        QCOMPARE(r.sourceSize, claimed);
        QCOMPARE(r.error, FrameImage::sizeProblem(claimed.width(), claimed.height()));
    }
}

// A JPEG thumbnail of a scan whose data ends early still comes (the rest grey),
// but says so.
void TestScanPicture::cutShortWarned_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<int>("keptPercent");
    QTest::addColumn<bool>("warned");

    for (const char *format : {"jpg", "bmp"}) {
        QTest::addRow("%s, whole", format) << format << 100 << false;
        QTest::addRow("%s, cut at 60 %%", format) << format << 60 << true;
        QTest::addRow("%s, cut at 20 %%", format) << format << 20 << true;
    }
}
void TestScanPicture::cutShortWarned()
{
    QFETCH(QString, format);
    QFETCH(int, keptPercent);
    QFETCH(bool, warned);
    QTemporaryDir dir;
    const QString path = drawScan(dir, format);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.resize(file.size() * keptPercent / 100));
    file.close();

    // The thumbnail (a JPEG's from the DC decoder) and the full picture
    // (libjpeg's, which says nothing itself).
    for (int maxSide : {100, 0}) {
        const ScanPicture::Result r = ScanPicture::read(path, maxSide);
        QVERIFY2(!r.image.isNull(), qPrintable(r.error));
        QCOMPARE(r.image.size(), maxSide ? QSize(100, 75) : QSize(1200, 900));
        QCOMPARE(!r.warning.isEmpty(), warned);
    }
}

// A FIFO or a folder under an image name is refused at once by both readers:
// opening a FIFO by name would wait for a writer that never comes.
void TestScanPicture::notARegularFile_data()
{
    QTest::addColumn<bool>("fifo");
    QTest::addColumn<QString>("what");
    QTest::newRow("folder") << false << "folder";
#ifdef Q_OS_UNIX
    QTest::newRow("FIFO") << true << "FIFO";
#endif
}

void TestScanPicture::notARegularFile()
{
    QFETCH(bool, fifo);
    QFETCH(QString, what);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    for (const char *name : {"scan.jpg", "scan.tif", "scan.png"}) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        QVERIFY(makeNotRegularFile(path, fifo));
        for (int maxSide : {0, 200}) {
            const ScanPicture::Result r = ScanPicture::read(path, maxSide);
            QVERIFY(r.image.isNull());
            QVERIFY2(r.error.contains(what), qPrintable(r.error));
        }
        FrameImage image;
        QVERIFY(!image.load(path));
        QVERIFY2(image.reason().contains(what), qPrintable(image.reason()));
    }
}

QTEST_GUILESS_MAIN(TestScanPicture)
#include "tst_scanpicture.moc"
