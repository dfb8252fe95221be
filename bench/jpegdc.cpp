// The DC-only JPEG decoder against libjpeg's 1/8 decode (QImageReader with a
// scaled size of an eighth), on one JPEG: best of five each, taken in turn,
// in milliseconds and MB/s of the file, and how many times faster it is.
// Also the largest difference between the two pictures, per channel.
//
//   quillmark-bench-jpegdc FILE.jpg [ROUNDS]
#include "common/ImageDifference.h"
#include "scan/JpegDcDecoder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImageReader>

#include <algorithm>
#include <cstdio>
#include <limits>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: quillmark-bench-jpegdc FILE.jpg [ROUNDS]\n");
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    const int rounds = argc > 2 ? std::max(1, QByteArray(argv[2]).toInt()) : 5;
    const double megabytes = double(QFileInfo(path).size()) / 1e6;

    double bestDc = std::numeric_limits<double>::max();
    double bestQt = std::numeric_limits<double>::max();
    JpegDcDecoder::Result dc;
    QImage qt;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer clock;
        clock.start();
        dc = JpegDcDecoder::read(path);
        bestDc = std::min(bestDc, clock.nsecsElapsed() / 1e6);

        clock.restart();
        QImageReader reader(path);
        reader.setAutoTransform(false);
        const QSize size = reader.size();
        reader.setScaledSize(QSize(size.width() / 8, size.height() / 8));
        qt = reader.read();
        bestQt = std::min(bestQt, clock.nsecsElapsed() / 1e6);
    }
    if (dc.status != JpegDcDecoder::Status::Decoded) {
        std::fprintf(stderr, "the DC decoder did not decode %s: %s\n", argv[1], qPrintable(dc.message));
        return 1;
    }
    if (!dc.message.isEmpty())
        std::printf("warning: %s\n", qPrintable(dc.message));
    std::printf("%s: %dx%d, %.1f MB\n", argv[1], dc.sourceSize.width(), dc.sourceSize.height(), megabytes);
    std::printf("DC decoder:      %8.1f ms  %7.1f MB/s\n", bestDc, megabytes / (bestDc / 1e3));
    std::printf("libjpeg 1/8 (Qt): %7.1f ms  %7.1f MB/s\n", bestQt, megabytes / (bestQt / 1e3));
    std::printf("ratio:           %8.2fx\n", bestQt / bestDc);
    // Qt scales libjpeg's ceil(W/8) x ceil(H/8) to W/8 x H/8: compare where they agree.
    const QImage same = dc.image.copy(0, 0, qt.width(), qt.height());
    std::printf("largest difference per channel: %d (%dx%d against %dx%d)\n", largestChannelDifference(same, qt),
                dc.image.width(), dc.image.height(), qt.width(), qt.height());
    return 0;
}
