#include "imageinfo/CImageInfo.h"

#include <QTemporaryDir>
#include <QtTest>

#include <limits>

// Image header reading: every kind of header is built here byte by byte,
// read once from memory and once from a file; both must give the same.
class TestImageInfo : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void header_data();
    void header();
    void reuse();
    void missingFile();
    void beyondBuffer();

private:
    QTemporaryDir m_dir;
    int m_fileNo = 0;
    QString writeFile(const QByteArray &bytes);
};

namespace {

QByteArray be16(int v)
{
    QByteArray b;
    b.append(char((v >> 8) & 0xFF)).append(char(v & 0xFF));
    return b;
}

QByteArray be32(quint32 v)
{
    return be16(int(v >> 16)) + be16(int(v & 0xFFFF));
}

QByteArray le16(int v)
{
    QByteArray b;
    b.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF));
    return b;
}

QByteArray le32(qint32 v)
{
    const quint32 u = quint32(v);
    return le16(int(u & 0xFFFF)) + le16(int(u >> 16));
}

QByteArray png(quint32 width, quint32 height, int bitDepth, int colourType)
{
    QByteArray b("\x89PNG\r\n\x1a\n", 8);
    b += be32(13) + "IHDR" + be32(width) + be32(height);
    b.append(char(bitDepth)).append(char(colourType));
    b.append(3, '\0');             // compression, filter, interlace
    b += be32(0x12345678);         // CRC, not checked
    b += be32(0) + "IEND" + be32(0xAE426082);
    return b;
}

QByteArray gif(int width, int height, int packed)
{
    QByteArray b("GIF89a");
    b += le16(width) + le16(height);
    b.append(char(packed)).append('\0').append('\0');
    b.append(";");
    return b;
}

QByteArray bmp(qint32 width, qint32 height, int bitsPerPixel)
{
    QByteArray b("BM");
    b += le32(54 + 16) + le32(0) + le32(54); // file size, reserved, pixel offset
    b += le32(40) + le32(width) + le32(height) + le16(1) + le16(bitsPerPixel);
    b += le32(0) + le32(16) + le32(2835) + le32(2835) + le32(0) + le32(0);
    b.append(16, '\x7f');
    return b;
}

// One JPEG segment: marker, big-endian length (counting itself), payload.
QByteArray segment(int marker, const QByteArray &payload)
{
    QByteArray b;
    b.append('\xFF').append(char(marker));
    return b + be16(int(payload.size()) + 2) + payload;
}

QByteArray frame(int marker, int width, int height, int components)
{
    QByteArray payload;
    payload.append('\x08');
    payload += be16(height) + be16(width);
    payload.append(char(components));
    for (int c = 0; c < components; ++c)
        payload.append(char(c + 1)).append('\x11').append('\0');
    return segment(marker, payload);
}

const QByteArray kSoi("\xFF\xD8", 2);
const QByteArray kEoi("\xFF\xD9", 2);
const QByteArray kApp0 = segment(0xE0, QByteArray("JFIF\0\1\1\0\0\1\0\1\0\0", 14));

// A Huffman table whose bytes would read as a 0x0C0D x 0x0A0B image of
// 32 x 8 bits if it were taken for a frame header.
const QByteArray kDht = segment(0xC4, QByteArray("\x00\x08\x0C\x0D\x0A\x0B\x20\x01\x02", 9));

QByteArray jpeg(const QByteArray &segments)
{
    return kSoi + segments + QByteArray(64, '\x55') + kEoi;
}

QByteArray filler(int marker, int length)
{
    return segment(marker, QByteArray(length - 2, '\x20'));
}

} // namespace

void TestImageInfo::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

QString TestImageInfo::writeFile(const QByteArray &bytes)
{
    const QString path = m_dir.filePath(QStringLiteral("image%1.bin").arg(++m_fileNo));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        return QString();
    return path;
}

void TestImageInfo::header_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("depth");

    QTest::newRow("empty") << QByteArray() << true << 0 << 0 << 0 << 0;
    QTest::newRow("text") << QByteArray("just some text\r\n") << true << 0 << 0 << 0 << 0;

    // JPEG
    QTest::newRow("JPEG baseline") << jpeg(kApp0 + frame(0xC0, 1600, 1200, 3)) << true << 2 << 1600 << 1200 << 24;
    QTest::newRow("JPEG greyscale") << jpeg(kApp0 + frame(0xC0, 640, 480, 1)) << true << 2 << 640 << 480 << 8;
    QTest::newRow("JPEG CMYK") << jpeg(frame(0xC1, 300, 200, 4)) << true << 2 << 300 << 200 << 32;
    QTest::newRow("JPEG progressive") << jpeg(kApp0 + frame(0xC2, 1600, 1200, 3)) << true << 2 << 1600 << 1200
                                      << 24;
    QTest::newRow("JPEG lossless 0xCF") << jpeg(frame(0xCF, 17, 19, 3)) << true << 2 << 17 << 19 << 24;
    QTest::newRow("JPEG Huffman table first") << jpeg(kApp0 + kDht + frame(0xC0, 800, 600, 3)) << true << 2 << 800
                                              << 600 << 24;
    QTest::newRow("JPEG 0xC8 and 0xCC first")
        << jpeg(segment(0xC8, QByteArray(9, '\x07')) + segment(0xCC, QByteArray("\x00\x08\x0C\x0D\x0A\x0B\x20", 7))
                + frame(0xC0, 1000, 700, 3))
        << true << 2 << 1000 << 700 << 24;
    QTest::newRow("JPEG fill bytes") << jpeg(QByteArray("\xFF\xFF\xFF", 3) + frame(0xC0, 10, 20, 3)) << true << 2
                                     << 10 << 20 << 24;
    QTest::newRow("JPEG junk before SOI") << "RIFFjunk" + jpeg(kApp0 + frame(0xC0, 1024, 768, 3)) << true << 2
                                          << 1024 << 768 << 24;
    QTest::newRow("JPEG without frame") << jpeg(kApp0 + kDht) << true << 0 << 0 << 0 << 0;
    QTest::newRow("JPEG 65535 x 65535") << jpeg(frame(0xC0, 65535, 65535, 3)) << true << 2 << 65535 << 65535 << 24;
    QTest::newRow("JPEG 31 components") << jpeg(frame(0xC0, 5, 6, 31)) << true << 2 << 5 << 6 << 248;
    QTest::newRow("JPEG 32 components overflow") << jpeg(frame(0xC0, 5, 6, 32)) << false << 2 << 5 << 6 << 0;

    // The frame marker at the last place the walk looks at (its 0xFF at
    // 65524), and one byte further.
    QTest::newRow("JPEG frame at 65524") << jpeg(filler(0xE1, 65520) + frame(0xC0, 3000, 2000, 3)) << true << 2
                                         << 3000 << 2000 << 24;
    QTest::newRow("JPEG frame at 65525") << jpeg(filler(0xE1, 65521) + frame(0xC0, 3000, 2000, 3)) << true << 0 << 0
                                         << 0 << 0;
    QTest::newRow("JPEG frame beyond 64K") << jpeg(filler(0xE1, 65535) + frame(0xC0, 3000, 2000, 3)) << true << 0
                                           << 0 << 0 << 0;
    // Frame headers behind metadata, past the first few KiB of the file.
    QTest::newRow("JPEG frame at 6K") << jpeg(kApp0 + filler(0xE1, 6000) + frame(0xC0, 4000, 3000, 3)) << true << 2
                                      << 4000 << 3000 << 24;
    QTest::newRow("JPEG frame at 40K")
        << jpeg(kApp0 + filler(0xE1, 20000) + filler(0xED, 20000) + kDht + frame(0xC2, 4100, 3100, 1)) << true << 2
        << 4100 << 3100 << 8;
    QTest::newRow("JPEG frame straddling 4K")
        << jpeg(filler(0xE1, 4096 - 2 - 2 - 4) + frame(0xC0, 2500, 1500, 3)) << true << 2 << 2500 << 1500 << 24;
    // The start-of-image marker late in the buffer: at 65522 the walk still
    // starts (and finds the frame right behind it), at 65523 it does not.
    QTest::newRow("SOI at 65522") << QByteArray(65522, '\0') + kSoi + frame(0xC0, 77, 88, 3) << true << 2 << 77 << 88
                                  << 24;
    QTest::newRow("SOI at 65523") << QByteArray(65523, '\0') + kSoi + frame(0xC0, 77, 88, 3) << true << 0 << 0 << 0
                                  << 0;

    // PNG
    QTest::newRow("PNG truecolour 8") << png(1024, 768, 8, 2) << true << 3 << 1024 << 768 << 24;
    // Sizes are the whole 32-bit fields: a map file cannot hold such a
    // side, and the callers must see it, not its low 16 bits.
    QTest::newRow("PNG 70000 wide") << png(70000, 100, 8, 2) << true << 3 << 70000 << 100 << 24;
    QTest::newRow("PNG 65536 high") << png(100, 65536, 8, 2) << true << 3 << 100 << 65536 << 24;
    QTest::newRow("PNG 65836 x 15000") << png(65836, 15000, 8, 0) << true << 3 << 65836 << 15000 << 8;
    QTest::newRow("PNG 2^31 wide: no size") << png(0x80000000u, 10, 8, 0) << true << 3 << 0 << 10 << 8;
    QTest::newRow("PNG greyscale 16") << png(10, 20, 16, 0) << true << 3 << 10 << 20 << 16;
    QTest::newRow("PNG indexed 4") << png(10, 20, 4, 3) << true << 3 << 10 << 20 << 8;
    QTest::newRow("PNG indexed 1") << png(10, 20, 1, 3) << true << 3 << 10 << 20 << 8;
    QTest::newRow("PNG grey alpha 8") << png(10, 20, 8, 4) << true << 3 << 10 << 20 << 16;
    QTest::newRow("PNG RGBA 8") << png(10, 20, 8, 6) << true << 3 << 10 << 20 << 32;
    QTest::newRow("PNG RGBA 16") << png(10, 20, 16, 6) << true << 3 << 10 << 20 << 64;
    QTest::newRow("PNG truecolour 85 fits") << png(10, 20, 85, 2) << true << 3 << 10 << 20 << 255;
    QTest::newRow("PNG truecolour 86 overflow") << png(10, 20, 86, 2) << false << 3 << 0 << 0 << 0;
    QTest::newRow("PNG RGBA 64 overflow") << png(10, 20, 64, 6) << false << 3 << 0 << 0 << 0;
    QTest::newRow("PNG colour type 5") << png(10, 20, 8, 5) << true << 0 << 0 << 0 << 0;
    QTest::newRow("PNG colour type 5 then a JPEG") << png(10, 20, 8, 5) + jpeg(frame(0xC0, 30, 40, 3)) << true << 2
                                                   << 30 << 40 << 24;
    QTest::newRow("PNG fourth byte not checked") << QByteArray("\x89PNx", 4) + png(10, 20, 8, 2).mid(4) << true << 3
                                                 << 10 << 20 << 24;
    QTest::newRow("PNG 20 bytes") << png(0x01020304, 0x0506, 8, 2).left(20) << true << 3 << 0x01020304 << 0 << 0;

    // GIF
    QTest::newRow("GIF 0xF7") << gif(640, 480, 0xF7) << true << 1 << 640 << 480 << 8;
    QTest::newRow("GIF 0x80") << gif(640, 480, 0x80) << true << 1 << 640 << 480 << 1;
    QTest::newRow("GIF 0x03 wide") << gif(65535, 1, 0x03) << true << 1 << 65535 << 1 << 4;
    QTest::newRow("GIF header only") << QByteArray("GIF") << true << 1 << 0 << 0 << 1;

    // BMP
    QTest::newRow("BMP bottom-up") << bmp(640, 480, 24) << true << 4 << 640 << 480 << 24;
    QTest::newRow("BMP top-down") << bmp(640, -480, 24) << true << 4 << 640 << 480 << 24;
    QTest::newRow("BMP 70000 wide 8 bits") << bmp(70000, 10, 8) << true << 4 << 70000 << 10 << 8;
    QTest::newRow("BMP 200 x 65536") << bmp(200, 65536, 8) << true << 4 << 200 << 65536 << 8;
    QTest::newRow("BMP negative width: no width") << bmp(-640, 480, 24) << true << 4 << 0 << 480 << 24;
    QTest::newRow("BMP height -2^31: no height") << bmp(640, std::numeric_limits<qint32>::min(), 24) << true << 4
                                                 << 640 << 0 << 24;
    // The OS/2 header (12 bytes): 16-bit width, height and bits per pixel.
    QTest::newRow("BMP OS/2 header") << QByteArray("BM") + le32(26 + 6) + le32(0) + le32(26) + le32(12) + le16(300)
            + le16(200) + le16(1) + le16(24) + QByteArray(6, '\0')
                                     << true << 4 << 300 << 200 << 24;
    QTest::newRow("BMP 32 bits") << bmp(3, 2, 32) << true << 4 << 3 << 2 << 32;
    QTest::newRow("BMP signature only") << QByteArray("BM") << true << 4 << 0 << 0 << 0;
}

void TestImageInfo::header()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, ok);
    QFETCH(int, type);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, depth);

    CImageInfo fromBytes;
    QCOMPARE(fromBytes.ReadImageInfo(bytes), ok);
    QCOMPARE(fromBytes.ImageType(), type);
    QCOMPARE(fromBytes.Width(), width);
    QCOMPARE(fromBytes.Height(), height);
    QCOMPARE(int(fromBytes.Depth()), depth);
    QCOMPARE(fromBytes.errorString().isEmpty(), ok);

    // The file is read in parts; the results must be those of the whole
    // first 64 KiB.
    const QString path = writeFile(bytes);
    QVERIFY(!path.isEmpty());
    CImageInfo fromFile;
    QCOMPARE(fromFile.ReadImageInfo(path), ok);
    QCOMPARE(fromFile.ImageType(), type);
    QCOMPARE(fromFile.Width(), width);
    QCOMPARE(fromFile.Height(), height);
    QCOMPARE(int(fromFile.Depth()), depth);
    if (ok)
        QVERIFY(fromFile.errorString().isEmpty());
    else
        QVERIFY2(fromFile.errorString().contains(QFileInfo(path).fileName()), qPrintable(fromFile.errorString()));
}

void TestImageInfo::reuse()
{
    CImageInfo info;
    QCOMPARE(info.ImageType(), 0);
    QCOMPARE(info.Width(), 0);

    QVERIFY(info.ReadImageInfo(writeFile(png(1000, 2000, 8, 6))));
    QCOMPARE(info.Width(), 1000);
    QCOMPARE(int(info.Depth()), 32);

    // A GIF after it shows only its own values.
    QVERIFY(info.ReadImageInfo(writeFile(gif(300, 200, 0x80))));
    QCOMPARE(info.ImageType(), 1);
    QCOMPARE(info.Width(), 300);
    QCOMPARE(info.Height(), 200);
    QCOMPARE(int(info.Depth()), 1);

    // A failure, then an unknown file: the error text goes, the zeros stay.
    QVERIFY(!info.ReadImageInfo(writeFile(jpeg(frame(0xC0, 5, 6, 40)))));
    QVERIFY(!info.errorString().isEmpty());
    QVERIFY(info.ReadImageInfo(writeFile(QByteArray("plain text"))));
    QVERIFY(info.errorString().isEmpty());
    QCOMPARE(info.ImageType(), 0);
    QCOMPARE(info.Width(), 0);
    QCOMPARE(info.Height(), 0);
    QCOMPARE(int(info.Depth()), 0);
}

void TestImageInfo::missingFile()
{
    CImageInfo info;
    QVERIFY(info.ReadImageInfo(writeFile(bmp(64, 32, 24))));
    const QString missing = m_dir.filePath(QStringLiteral("no-such-image.jpg"));
    QVERIFY(!info.ReadImageInfo(missing));
    QVERIFY2(info.errorString().contains(QStringLiteral("no-such-image.jpg")), qPrintable(info.errorString()));
    QCOMPARE(info.ImageType(), 0);
    QCOMPARE(info.Width(), 0);
    QCOMPARE(info.Height(), 0);
    QCOMPARE(int(info.Depth()), 0);
    QVERIFY(!QFile::exists(missing));

    QVERIFY(!info.ReadImageInfo(m_dir.path()));
    QVERIFY(!info.errorString().isEmpty());
}

// Bytes after the first 64 KiB of a file are never looked at, whether the
// file is read from disk or handed over whole.
void TestImageInfo::beyondBuffer()
{
    const QByteArray late = QByteArray(66000, '\0') + jpeg(frame(0xC0, 100, 100, 3));
    CImageInfo info;
    QVERIFY(info.ReadImageInfo(late));
    QCOMPARE(info.ImageType(), 0);
    QVERIFY(info.ReadImageInfo(writeFile(late)));
    QCOMPARE(info.ImageType(), 0);
}

QTEST_GUILESS_MAIN(TestImageInfo)
#include "tst_imageinfo.moc"
