// The DC-only JPEG decoder gives libjpeg's picture at scale 1/8 (as Qt reads
// it with a scaled size of an eighth) for every kind of baseline JPEG it
// reads, declines the kinds it does not, and never crashes on damaged data.
#include "common/ImageDifference.h"
#include "common/NotRegularFile.h"
#include "scan/JpegDcDecoder.h"
#include "fuzz/FuzzJpegChecks.h"

#include <QBuffer>
#include <QDirIterator>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <opencv2/imgcodecs.hpp>

#include <vector>


namespace {

enum class Maker {
    QtColour,   // QImageWriter: 4:2:0
    QtGrey,     // QImageWriter from a Grayscale8 image
    QtGreyCalm, // the same from a picture with little noise: many cheap blocks
    QtProgressive,
    OpenCvRestarts, // OpenCV with a restart marker every 3 MCUs (4:2:0)
    Convert444,     // ImageMagick, -sampling-factor 1x1
    Convert422,     // ImageMagick, -sampling-factor 2x1
    Convert444Restarts, // ImageMagick, 4:4:4 with a restart marker every row of MCUs
    ConvertCmyk,
};

// A scan-like picture: soft colour gradients, some shapes and lines, noise
// of `noise` levels.
QImage picture(int width, int height, int noise = 13)
{
    QImage image(width, height, QImage::Format_RGB32);
    quint32 state = 11;
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            state = state * 1664525u + 1013904223u;
            const int n = int((state >> 24) % unsigned(noise)) - noise / 2;
            line[x] = qRgb(qBound(0, 200 - 120 * x / width + n, 255), qBound(0, 90 + 140 * y / height + n, 255),
                           qBound(0, 60 + 100 * (x + y) / (width + height) + n, 255));
        }
    }
    QPainter p(&image);
    p.setPen(QPen(Qt::black, 3));
    p.drawRect(width / 20, height / 20, width * 9 / 10, height * 9 / 10);
    p.setBrush(QColor(30, 120, 40));
    p.drawEllipse(QPoint(width / 3, height / 2), width / 6, height / 5);
    p.setPen(QPen(QColor(40, 40, 200), 2));
    for (int i = 1; i < 8; ++i)
        p.drawLine(width * i / 8, 0, width * i / 8 + width / 20, height);
    return image;
}

QString convertTool()
{
    return QStandardPaths::findExecutable(QStringLiteral("convert"));
}

// Writes the picture as a JPEG of the given kind; empty when the tool for it is missing.
QString makeJpeg(Maker maker, int width, int height, const QString &dir)
{
    const QImage image = picture(width, height, maker == Maker::QtGreyCalm ? 3 : 13);
    const QString path = QStringLiteral("%1/%2-%3x%4.jpg").arg(dir).arg(int(maker)).arg(width).arg(height);
    switch (maker) {
    case Maker::QtColour:
    case Maker::QtGrey:
    case Maker::QtGreyCalm:
    case Maker::QtProgressive: {
        QImageWriter writer(path, "jpeg");
        writer.setQuality(90);
        writer.setProgressiveScanWrite(maker == Maker::QtProgressive);
        const bool grey = maker == Maker::QtGrey || maker == Maker::QtGreyCalm;
        if (!writer.write(grey ? image.convertToFormat(QImage::Format_Grayscale8) : image))
            return QString();
        return path;
    }
    case Maker::OpenCvRestarts: {
        const QImage bgr = image.convertToFormat(QImage::Format_BGR888);
        const cv::Mat mat(bgr.height(), bgr.width(), CV_8UC3, const_cast<uchar *>(bgr.constBits()),
                          size_t(bgr.bytesPerLine()));
        if (!cv::imwrite(QFile::encodeName(path).toStdString(), mat, {cv::IMWRITE_JPEG_QUALITY, 90,
                                                                      cv::IMWRITE_JPEG_RST_INTERVAL, 3}))
            return QString();
        return path;
    }
    case Maker::Convert444:
    case Maker::Convert422:
    case Maker::Convert444Restarts:
    case Maker::ConvertCmyk: {
        const QString convert = convertTool();
        if (convert.isEmpty())
            return QString();
        const QString png = path + QStringLiteral(".png");
        if (!image.save(png))
            return QString();
        QStringList args{png, QStringLiteral("-quality"), QStringLiteral("90")};
        if (maker == Maker::Convert422)
            args << QStringLiteral("-sampling-factor") << QStringLiteral("2x1");
        else
            args << QStringLiteral("-sampling-factor") << QStringLiteral("1x1");
        if (maker == Maker::Convert444Restarts)
            args << QStringLiteral("-define") << QStringLiteral("jpeg:restart-interval=%1").arg((width + 7) / 8);
        if (maker == Maker::ConvertCmyk)
            args << QStringLiteral("-colorspace") << QStringLiteral("CMYK");
        args << path;
        if (QProcess::execute(convert, args) != 0 || !QFile::exists(path))
            return QString();
        return path;
    }
    }
    return QString();
}

// libjpeg's picture at scale 1/8: Qt reads at that scale when asked for an
// eighth of the size or less, and gives what libjpeg gives when that is
// ceil(W/8) x ceil(H/8) (sizes a multiple of 8); OpenCV asks libjpeg for 1/8
// directly, and is the reference for the other sizes.
QImage libjpegEighth(const QString &path)
{
    QImageReader reader(path);
    const QSize size = reader.size();
    if (size.width() % 8 == 0 && size.height() % 8 == 0) {
        reader.setScaledSize(size / 8);
        return reader.read().convertToFormat(QImage::Format_RGB32);
    }
    const cv::Mat bgr = cv::imread(QFile::encodeName(path).toStdString(), cv::IMREAD_REDUCED_COLOR_8);
    if (bgr.empty())
        return QImage();
    return QImage(bgr.data, bgr.cols, bgr.rows, int(bgr.step), QImage::Format_BGR888).convertToFormat(QImage::Format_RGB32);
}


// The file's bytes in a buffer of exactly their size, so that a read past
// the end shows under AddressSanitizer.
JpegDcDecoder::Result decodeBytes(const QByteArray &bytes)
{
    const std::vector<uchar> exact(bytes.begin(), bytes.end());
    return JpegDcDecoder::decode(exact.data(), qsizetype(exact.size()));
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

Q_DECLARE_METATYPE(Maker)

class TestJpegDcDecoder : public QObject
{
    Q_OBJECT
private slots:
    void matchesLibjpeg_data();
    void matchesLibjpeg();
    void declinedOrDamaged_data();
    void declinedOrDamaged();
    void notARegularFile_data();
    void notARegularFile();
    void fuzzInputs_data();
    void fuzzInputs();
    void endsEarly_data();
    void endsEarly();
    void largeFileInWindows_data();
    void largeFileInWindows();

private:
    QTemporaryDir m_dir;
};

void TestJpegDcDecoder::matchesLibjpeg_data()
{
    QTest::addColumn<Maker>("maker");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("tolerance");
    QTest::addColumn<QImage::Format>("format");
    // Grey and full chroma: the same arithmetic as libjpeg's 1x1 inverse DCT
    // and colour conversion. Subsampled chroma: libjpeg-turbo decodes the
    // chroma of a 4:2:0 or 4:2:2 file at 1/8 with a 2x2 (2x1) inverse DCT,
    // from its lowest AC coefficients, where this decoder repeats the chroma
    // block's mean: colour edges differ by more.
    QTest::newRow("grey") << Maker::QtGrey << 640 << 480 << 0 << QImage::Format_Grayscale8;
    QTest::newRow("grey, odd size") << Maker::QtGrey << 333 << 101 << 0 << QImage::Format_Grayscale8;
    // More entropy data than the walk's buffer holds, in blocks of a few bits:
    // the last top-up comes while the bits of the one before are still unused.
    QTest::newRow("grey, calm and large") << Maker::QtGreyCalm << 3000 << 2400 << 0 << QImage::Format_Grayscale8;
    QTest::newRow("4:2:0") << Maker::QtColour << 640 << 480 << 64 << QImage::Format_RGB32;
    QTest::newRow("4:2:0, odd size") << Maker::QtColour << 1001 << 777 << 64 << QImage::Format_RGB32;
    QTest::newRow("4:2:0, restart markers, odd size") << Maker::OpenCvRestarts << 523 << 389 << 64 << QImage::Format_RGB32;
    QTest::newRow("4:4:4") << Maker::Convert444 << 640 << 480 << 0 << QImage::Format_RGB32;
    QTest::newRow("4:4:4, odd size") << Maker::Convert444 << 333 << 222 << 0 << QImage::Format_RGB32;
    QTest::newRow("4:4:4, restart markers") << Maker::Convert444Restarts << 400 << 300 << 0 << QImage::Format_RGB32;
    QTest::newRow("4:2:2, odd size") << Maker::Convert422 << 401 << 299 << 64 << QImage::Format_RGB32;
}

void TestJpegDcDecoder::matchesLibjpeg()
{
    QFETCH(Maker, maker);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, tolerance);
    QFETCH(QImage::Format, format);
    const QString path = makeJpeg(maker, width, height, m_dir.path());
    if (path.isEmpty() && maker >= Maker::Convert444 && convertTool().isEmpty())
        QSKIP("ImageMagick's convert is not installed (scripts/setup.sh installs it)");
    QVERIFY(!path.isEmpty());

    const JpegDcDecoder::Result r = JpegDcDecoder::read(path);
    QCOMPARE(r.status, JpegDcDecoder::Status::Decoded);
    QVERIFY2(r.message.isEmpty(), qPrintable(r.message));
    QCOMPARE(r.sourceSize, QSize(width, height));
    QCOMPARE(r.image.size(), QSize((width + 7) / 8, (height + 7) / 8));
    QCOMPARE(r.image.format(), format);

    const QImage reference = libjpegEighth(path);
    QCOMPARE(reference.size(), r.image.size());
    const int difference = largestChannelDifference(r.image, reference);
    QVERIFY2(difference <= tolerance, qPrintable(QStringLiteral("largest difference %1").arg(difference)));
    // Where chroma is subsampled the two still agree on the whole: a grey
    // level or two on average, the differences being at colour edges.
    double sum = 0;
    const QImage a = r.image.convertToFormat(QImage::Format_Grayscale8);
    const QImage b = reference.convertToFormat(QImage::Format_Grayscale8);
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            sum += std::abs(int(a.constScanLine(y)[x]) - int(b.constScanLine(y)[x]));
    QVERIFY2(sum / (a.width() * a.height()) < 2.0, qPrintable(QString::number(sum / (a.width() * a.height()))));
}

void TestJpegDcDecoder::declinedOrDamaged_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<JpegDcDecoder::Status>("status");
    QTest::addColumn<bool>("warned");
    QTest::addColumn<int>("goodRows");       // rows of blocks that match the whole file's picture
    QTest::addColumn<QByteArray>("original"); // the whole file

    QVERIFY(m_dir.isValid());
    const QByteArray whole = fileBytes(makeJpeg(Maker::QtColour, 640, 480, m_dir.path()));
    QVERIFY(whole.size() > 10000);
    const QByteArray progressive = fileBytes(makeJpeg(Maker::QtProgressive, 640, 480, m_dir.path()));
    QVERIFY(!progressive.isEmpty());
    const QByteArray withRestarts = fileBytes(makeJpeg(Maker::OpenCvRestarts, 640, 480, m_dir.path()));
    QVERIFY(!withRestarts.isEmpty());

    QTest::newRow("progressive") << progressive << JpegDcDecoder::Status::Declined << false << 0 << progressive;
    if (!convertTool().isEmpty())
        QTest::newRow("CMYK") << fileBytes(makeJpeg(Maker::ConvertCmyk, 64, 48, m_dir.path()))
                              << JpegDcDecoder::Status::Declined << false << 0 << QByteArray();
    QTest::newRow("empty") << QByteArray() << JpegDcDecoder::Status::Failed << false << 0 << QByteArray();
    QTest::newRow("not a JPEG") << QByteArray("GIF89a and more of it") << JpegDcDecoder::Status::Failed << false << 0 << QByteArray();
    QTest::newRow("cut in the headers") << whole.left(300) << JpegDcDecoder::Status::Failed << false << 0 << whole;
    // Cut in the entropy data: what is there, then grey, with a warning.
    QTest::newRow("cut at a third") << whole.left(whole.size() / 3) << JpegDcDecoder::Status::Decoded << true << 5 << whole;
    QTest::newRow("cut before the last bytes") << whole.left(whole.size() - 20) << JpegDcDecoder::Status::Decoded
                                               << true << 50 << whole;
    QTest::newRow("no end marker") << whole.left(whole.size() - 2) << JpegDcDecoder::Status::Decoded << false << 60 << whole;
    QTest::newRow("restart markers, cut at a half") << withRestarts.left(withRestarts.size() / 2)
                                                    << JpegDcDecoder::Status::Decoded << true << 10 << withRestarts;
    // A restart marker out of its order.
    QByteArray reordered = withRestarts;
    const qsizetype rst = reordered.indexOf(QByteArray("\xff\xd1", 2));
    QVERIFY(rst > 0);
    reordered[rst + 1] = char(0xd5);
    QTest::newRow("restart marker out of order") << reordered << JpegDcDecoder::Status::Failed << false << 0 << withRestarts;
    // Garbage in the entropy data: whatever comes out (goodRows -1), nothing is
    // read out of bounds.
    QByteArray garbage = whole;
    quint32 state = 5;
    for (qsizetype i = whole.size() / 2; i < whole.size() - 2; ++i) {
        state = state * 1664525u + 1013904223u;
        garbage[i] = char(state >> 24);
    }
    QTest::newRow("garbage entropy data") << garbage << JpegDcDecoder::Status::Failed << false << -1 << whole;
    QByteArray header = whole.left(whole.indexOf(QByteArray("\xff\xda", 2)) + 14);
    for (int i = 0; i < 5000; ++i) {
        state = state * 1664525u + 1013904223u;
        header += char(state >> 24);
    }
    QTest::newRow("garbage after the scan header") << header << JpegDcDecoder::Status::Failed << false << -1 << whole;
}

void TestJpegDcDecoder::declinedOrDamaged()
{
    QFETCH(QByteArray, bytes);
    QFETCH(JpegDcDecoder::Status, status);
    QFETCH(bool, warned);
    QFETCH(int, goodRows);
    QFETCH(QByteArray, original);

    const JpegDcDecoder::Result r = decodeBytes(bytes);
    if (goodRows < 0) { // any outcome, but a picture of the right size when there is one
        if (r.status == JpegDcDecoder::Status::Decoded)
            QCOMPARE(r.image.size(), QSize(80, 60));
        else
            QVERIFY(!r.message.isEmpty());
        return;
    }
    QCOMPARE(r.status, status);
    if (status != JpegDcDecoder::Status::Decoded) {
        QVERIFY(r.image.isNull());
        QVERIFY(!r.message.isEmpty());
        return;
    }
    QCOMPARE(!r.message.isEmpty(), warned);
    QCOMPARE(r.image.size(), QSize(80, 60));
    // The rows before the cut are those of the whole file's picture; the last row is grey.
    const QImage whole = decodeBytes(original).image;
    QVERIFY(!whole.isNull());
    QCOMPARE(largestChannelDifference(r.image.copy(0, 0, 80, goodRows), whole.copy(0, 0, 80, goodRows)), 0);
    if (warned)
        QCOMPARE(r.image.pixel(79, 59), qRgb(128, 128, 128));
}

// What stands under a .jpg name but is no regular file fails at once: a FIFO
// without a writer is not waited on, a folder is not read.
void TestJpegDcDecoder::notARegularFile_data()
{
    QTest::addColumn<bool>("fifo");
    QTest::newRow("folder") << false;
#ifdef Q_OS_UNIX
    QTest::newRow("FIFO") << true;
#endif
}

void TestJpegDcDecoder::notARegularFile()
{
    QFETCH(bool, fifo);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("scan.jpg"));
    QVERIFY(makeNotRegularFile(path, fifo));
    const JpegDcDecoder::Result r = JpegDcDecoder::read(path);
    QCOMPARE(r.status, JpegDcDecoder::Status::Failed);
    QVERIFY(!r.message.isEmpty());
}

void TestJpegDcDecoder::endsEarly_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("early");
    const QByteArray whole = fileBytes(makeJpeg(Maker::QtColour, 320, 240, m_dir.path()));
    const QByteArray progressive = fileBytes(makeJpeg(Maker::QtProgressive, 320, 240, m_dir.path()));
    const QByteArray restarts = fileBytes(makeJpeg(Maker::OpenCvRestarts, 320, 240, m_dir.path()));
    QVERIFY(!whole.isEmpty() && !progressive.isEmpty() && !restarts.isEmpty());
    QTest::newRow("whole") << whole << false;
    QTest::newRow("whole, data after the end marker") << whole + QByteArray(300, 'x') << false;
    QTest::newRow("cut at a half") << whole.left(whole.size() / 2) << true;
    QTest::newRow("no end marker") << whole.left(whole.size() - 2) << true;
    QTest::newRow("cut in the headers") << whole.left(100) << true;
    QTest::newRow("progressive, whole") << progressive << false;
    QTest::newRow("progressive, cut between scans") << progressive.left(progressive.size() * 2 / 3) << true;
    QTest::newRow("restart markers, whole") << restarts << false;
    QTest::newRow("restart markers, cut") << restarts.left(restarts.size() / 2) << true;
    QTest::newRow("not a JPEG") << QByteArray("GIF89a and more of it") << false;
}

// A JPEG cut short is told from a whole one by its end marker after the scans.
void TestJpegDcDecoder::endsEarly()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, early);
    const std::vector<uchar> exact(bytes.begin(), bytes.end());
    QCOMPARE(JpegDcDecoder::endsEarly(exact.data(), qsizetype(exact.size())), early);
}

// A file read through the mapping a few windows at a time decodes as the same
// bytes in memory do: 40 MB of fill bytes before a restart marker put the
// rest of the scan several windows on, past pages already let go.
void TestJpegDcDecoder::largeFileInWindows_data()
{
    QTest::addColumn<bool>("cut");
    QTest::newRow("whole") << false;
    QTest::newRow("cut short after the fill") << true;
}

void TestJpegDcDecoder::largeFileInWindows()
{
    QFETCH(bool, cut);
    QByteArray bytes = fileBytes(makeJpeg(Maker::OpenCvRestarts, 523, 389, m_dir.path()));
    const qsizetype scan = bytes.indexOf(QByteArray("\xFF\xDA", 2));
    const qsizetype restart = bytes.indexOf(QByteArray("\xFF\xD0", 2), scan);
    QVERIFY(scan > 0 && restart > scan);
    bytes.insert(restart, QByteArray(qsizetype(40) << 20, '\xFF'));
    if (cut)
        bytes.chop(bytes.size() - restart - (qsizetype(40) << 20) - 2000);
    const QString path = m_dir.filePath(QStringLiteral("windows.jpg"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    file.close();

    const std::vector<uchar> exact(bytes.begin(), bytes.end());
    const JpegDcDecoder::Result inMemory = JpegDcDecoder::decode(exact.data(), qsizetype(exact.size()));
    const JpegDcDecoder::Result mapped = JpegDcDecoder::read(path);
    QCOMPARE(mapped.status, JpegDcDecoder::Status::Decoded);
    QCOMPARE(inMemory.status, JpegDcDecoder::Status::Decoded);
    QCOMPARE(mapped.image, inMemory.image);
    QCOMPARE(mapped.message.isEmpty(), !cut);
    QCOMPARE(JpegDcDecoder::endsEarly(path), cut);
    QVERIFY(QFile::remove(path));
}

// The fuzz target's seeds and the inputs it once failed on, through its checks.
void TestJpegDcDecoder::fuzzInputs_data()
{
    QTest::addColumn<QString>("path");
    const QString fuzz = qEnvironmentVariable("QUILLMARK_SOURCE_DIR") + QStringLiteral("/fuzz/");
    int seeds = 0;
    for (const char *kind : {"corpus", "regressions"}) {
        QDirIterator it(fuzz + QLatin1String(kind) + QStringLiteral("/jpegdc"), QDir::Files);
        while (it.hasNext()) {
            const QString path = it.next();
            if (path.endsWith(QLatin1String("/.keep")))
                continue;
            seeds += kind[0] == 'c' ? 1 : 0;
            QTest::newRow(qPrintable(QLatin1String(kind) + QLatin1Char('/') + QFileInfo(path).fileName())) << path;
        }
    }
    if (seeds < 3) // else this would pass looking at nothing
        QTest::newRow("no seeds") << QString();
}

void TestJpegDcDecoder::fuzzInputs()
{
    QFETCH(QString, path);
    QVERIFY2(!path.isEmpty(), "the fuzz target has fewer than three seeds in fuzz/corpus/jpegdc (QUILLMARK_SOURCE_DIR)");
    const QString failure = FuzzChecks::checkJpegDc(fileBytes(path));
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
}

QTEST_GUILESS_MAIN(TestJpegDcDecoder)
#include "tst_jpegdcdecoder.moc"
