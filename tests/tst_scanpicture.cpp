// Scans decoded for the eye: every format a scan comes in gives the same
// picture, fitted into the thumbnail's size, with the scan's own pixel size;
// a scan too large for memory is refused from its header, before decoding.
#include "common/NotRegularFile.h"
#include "scan/FrameImage.h"
#include "scan/ScanPicture.h"
#include "frame/SheetDrawer.h"

#include <QBuffer>
#include <QFile>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <algorithm>


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

// A JPEG of `image` written in progressive scans.
QByteArray progressiveJpeg(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(true);
    writer.setQuality(95);
    return writer.write(image) ? bytes : QByteArray();
}

// The 1200 x 900 scan of the tests, as a file of the given format in `dir`;
// "bmp top-down" is a BMP whose rows are stored from the top (a negative
// height), "jpg progressive" a JPEG in progressive scans.
QString drawScan(const QTemporaryDir &dir, const QString &format)
{
    if (format == QLatin1String("jpg progressive")) {
        const QImage image(SheetDrawer::drawNonSheet(NonSheet::MapFragment, 1200, 900, 3, dir.path(),
                                                     QStringLiteral("drawn"), QStringLiteral("png")));
        QFile file(dir.filePath(QStringLiteral("scan.jpg")));
        if (!file.open(QIODevice::WriteOnly) || file.write(progressiveJpeg(image)) <= 0)
            return QString();
        return file.fileName();
    }
    const bool topDown = format == QLatin1String("bmp top-down");
    const QString path = SheetDrawer::drawNonSheet(NonSheet::MapFragment, 1200, 900, 3, dir.path(),
                                                   QStringLiteral("scan"), topDown ? QStringLiteral("bmp") : format);
    if (!topDown)
        return path;
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return QString();
    QByteArray b = file.readAll();
    auto u32 = [&b](int at) { return qFromLittleEndian<quint32>(b.constData() + at); };
    const qint32 height = qint32(u32(22));
    const qsizetype stride = (qsizetype(u32(18)) * qFromLittleEndian<quint16>(b.constData() + 28) + 31) / 32 * 4;
    const qsizetype offset = qsizetype(u32(10));
    QByteArray flipped = b.left(offset);
    for (qint32 row = height - 1; row >= 0; --row)
        flipped += b.mid(offset + row * stride, stride);
    qToLittleEndian<qint32>(-height, flipped.data() + 22);
    file.seek(0);
    file.write(flipped);
    return path;
}

QByteArray le16(quint16 v)
{
    QByteArray b(2, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

QByteArray be32(quint32 v)
{
    QByteArray b(4, '\0');
    qToBigEndian(v, b.data());
    return b;
}

QByteArray le32(quint32 v)
{
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

// A little-endian TIFF of 8-bit grey whose directory says `width` x `height`,
// in strips of `rows` rows, or in tiles of `tile` x `tile` when `tile` > 0.
// `data` stands where its pixels would be: a header is all that a decoder
// may look at.
QByteArray tiff(quint32 width, quint32 height, quint32 rows, quint32 tile = 0, const QByteArray &data = QByteArray(16, '\0'))
{
    QList<std::pair<quint16, quint32>> tags = {{256, width}, {257, height}, {258, 8}, {259, 1}, {262, 1}, {277, 1}};
    if (tile > 0)
        tags += {{322, tile}, {323, tile}, {324, 8}, {325, quint32(data.size())}};
    else
        tags += {{273, 8}, {278, rows}, {279, quint32(data.size())}};
    std::sort(tags.begin(), tags.end());
    QByteArray b = QByteArray("II*\0", 4) + le32(quint32(8 + data.size())) + data + le16(quint16(tags.size()));
    for (const auto &[tag, value] : tags)
        b += le16(tag) + le16(4) + le32(1) + le32(value);
    return b + le32(0);
}

// A small real JPEG.
QByteArray smallJpeg()
{
    QByteArray jpeg;
    QImage small(64, 48, QImage::Format_RGB32);
    small.fill(Qt::gray);
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    small.save(&buffer, "JPG", 90);
    return jpeg;
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
    QTest::newRow("bmp top-down thumbnail") << "bmp top-down" << 200 << QSize(200, 150);
    QTest::newRow("bmp top-down full size") << "bmp top-down" << 0 << QSize(1200, 900);
    QTest::newRow("gif thumbnail") << "gif" << 200 << QSize(200, 150);
    QTest::newRow("tif thumbnail (Qt has no TIFF reader here)") << "tif" << 200 << QSize(200, 150);
    QTest::newRow("tif full size") << "tif" << 0 << QSize(1200, 900);
    QTest::newRow("jpg full size") << "jpg" << 0 << QSize(1200, 900);
    QTest::newRow("jpg progressive thumbnail") << "jpg progressive" << 100 << QSize(100, 75);
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
    FrameImage grey;
    QVERIFY2(grey.load(path), qPrintable(grey.reason()));
    QCOMPARE(QSize(grey.width(), grey.height()), QSize(1200, 900));

    // The same picture as the PNG drawn from the same seed, scaled alike.
    const QString reference = SheetDrawer::drawNonSheet(NonSheet::MapFragment, 1200, 900, 3, dir.path(),
                                                        QStringLiteral("reference"), QStringLiteral("png"));
    const QImage full(reference);
    QVERIFY(!full.isNull());
    const QImage scaled = full.scaled(expected, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const double difference = meanGreyDifference(r.image, scaled);
    QVERIFY2(difference < 16, qPrintable(QStringLiteral("mean grey difference %1").arg(difference)));
}

// Both readers refuse a scan from its header, before any decoder sees it: a
// file of a few bytes claiming a huge image would cost gigabytes.
void TestScanPicture::refusedBeforeDecoding_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("error");

    // A BMP header that claims 30000 x 30000 pixels of 24 bits: 2.7 GB to decode.
    QByteArray bmp = QByteArray("BM") + le32(54) + le32(0) + le32(54) + le32(40) + le32(30000) + le32(30000) + le16(1)
        + le16(24) + QByteArray(24, '\0');
    QTest::newRow("BMP, more pixels than a decode holds") << "huge.bmp" << bmp << FrameImage::sizeProblem(30000, 30000);

    // A JPEG's thumbnail may come from more pixels than a full decode holds,
    // but not from sides longer than a map file can address: a small JPEG
    // whose frame header claims 40000 x 300.
    QByteArray jpeg = smallJpeg();
    const qsizetype sof = jpeg.indexOf(QByteArray("\xFF\xC0", 2));
    QVERIFY(sof > 0);
    jpeg[sof + 5] = char(300 >> 8);
    jpeg[sof + 6] = char(300 & 0xFF);
    jpeg[sof + 7] = char(40000 >> 8);
    jpeg[sof + 8] = char(40000 & 0xFF);
    QTest::newRow("JPEG, sides longer than a map file holds") << "wide.jpg" << jpeg << FrameImage::sizeProblem(40000, 300);

    // A PNG's 32-bit width of 65836 is not the 300 of its low 16 bits.
    const QByteArray png = QByteArray("\x89PNG\r\n\x1A\n", 8) + be32(13) + "IHDR" + be32(65836) + be32(15000)
        + QByteArray("\x08\0\0\0\0", 5) + be32(0);
    QTest::newRow("PNG 65836 x 15000") << "wide.png" << png << FrameImage::sizeProblem(65836, 15000);

    // TIFF: the header reader's size before OpenCV decodes anything, and its
    // strips or tiles, which OpenCV decodes whole at four bytes a pixel.
    QTest::newRow("TIFF 30000 x 30000 in one strip") << "bomb.tif" << tiff(30000, 30000, 30000)
                                                     << FrameImage::sizeProblem(30000, 30000);
    QTest::newRow("TIFF in one strip of 9000 x 9000") << "strip.tif" << tiff(9000, 9000, 9000)
        << "the TIFF's strips of 9000 x 9000 pixels are too large to decode (at most 64 million pixels a strip)";
    QTest::newRow("TIFF in tiles of 8192 x 8192") << "tiles.tif" << tiff(16000, 16000, 0, 8192)
        << "the TIFF's tiles of 8192 x 8192 pixels are too large to decode (at most 64 million pixels a tile)";
    // The decoders tell a TIFF by its first bytes, whatever its name and
    // whatever JPEG it carries inside.
    QTest::newRow("TIFF named .jpg, a small JPEG inside") << "inside.jpg" << tiff(30000, 30000, 1, 0, smallJpeg())
                                                          << FrameImage::sizeProblem(30000, 30000);
    // libjpeg holds every coefficient of a JPEG in several scans, at any
    // reduced size: 1.6 GB for a progressive JPEG of 910 bytes claiming
    // 20000 x 20000 pixels.
    QByteArray progressive = progressiveJpeg(QImage(64, 48, QImage::Format_RGB32));
    const qsizetype sof2 = progressive.indexOf(QByteArray("\xFF\xC2", 2));
    QVERIFY(sof2 > 0);
    qToBigEndian<quint16>(20000, progressive.data() + sof2 + 5);
    qToBigEndian<quint16>(20000, progressive.data() + sof2 + 7);
    QTest::newRow("progressive JPEG of 20000 x 20000") << "progressive.jpg" << progressive
        << "the JPEG of 20000 x 20000 pixels is stored in several scans (progressive): decoding it takes 1202 MB, more "
           "than 256 MB";
    QTest::newRow("TIFF without its size") << "nosize.tif" << QByteArray("II*\0\x08\0\0\0\x01\0\x03\x01\x03\0\x01\0\0\0\x01\0\0\0\0\0\0\0", 26)
                                           << "cannot decode the image: its header gives no size";
}

void TestScanPicture::refusedBeforeDecoding()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, error);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();

    for (int maxSide : {0, 200}) {
        const ScanPicture::Result r = ScanPicture::read(path, maxSide);
        QVERIFY(r.image.isNull());
        QCOMPARE(r.error, error);
    }
    FrameImage grey;
    QVERIFY(!grey.load(path));
    QCOMPARE(grey.reason(), error);
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
