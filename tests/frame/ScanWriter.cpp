#include "frame/ScanWriter.h"

#include "frame/SheetDrawer.h"
#include "frame/StrokeFont.h"

#include <QFile>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

double uniform(ScanWriter::Rng &rng, double lo, double hi)
{
    return std::uniform_real_distribution<double>(lo, hi)(rng);
}

// A GIF: 8-bit indices, LZW codes kept at 9 bits by clearing the table often.
bool writeGif(const cv::Mat &indices, const std::vector<cv::Vec3b> &palette, const QString &path)
{
    QByteArray out("GIF89a");
    auto le16 = [&](int v) { out.append(char(v & 0xFF)); out.append(char((v >> 8) & 0xFF)); };
    le16(indices.cols);
    le16(indices.rows);
    out.append(char(0xF7)); // global table of 256 entries
    out.append('\0');
    out.append('\0');
    for (size_t i = 0; i < 256; ++i) {
        const cv::Vec3b c = i < palette.size() ? palette[i] : cv::Vec3b(0, 0, 0);
        out.append(char(c[2])); out.append(char(c[1])); out.append(char(c[0]));
    }
    out.append(',');
    le16(0); le16(0); le16(indices.cols); le16(indices.rows);
    out.append('\0');
    out.append(char(8));
    QByteArray data;
    data.reserve(static_cast<qsizetype>(indices.total() * 9 / 8 + 16));
    quint32 acc = 0;
    int bits = 0;
    auto put = [&](int code) {
        acc |= quint32(code) << bits;
        bits += 9;
        while (bits >= 8) { data.append(char(acc & 0xFF)); acc >>= 8; bits -= 8; }
    };
    int sinceClear = 0;
    put(256);
    for (int y = 0; y < indices.rows; ++y) {
        const uchar *row = indices.ptr(y);
        for (int x = 0; x < indices.cols; ++x) {
            if (sinceClear == 250) { put(256); sinceClear = 0; }
            put(row[x]);
            ++sinceClear;
        }
    }
    put(257);
    if (bits > 0)
        data.append(char(acc & 0xFF));
    for (qsizetype i = 0; i < data.size(); i += 255) {
        const qsizetype n = std::min<qsizetype>(255, data.size() - i);
        out.append(char(n));
        out.append(data.constData() + i, n);
    }
    out.append('\0');
    out.append(';');
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(out) == out.size();
}

// The palette a scanner's software would pick: k-means over a sample.
std::vector<cv::Vec3b> adaptivePalette(const cv::Mat &bgr, int colours, ScanWriter::Rng &rng)
{
    const int samples = 20000;
    cv::Mat data(samples, 3, CV_32F);
    for (int i = 0; i < samples; ++i) {
        const cv::Vec3b c = bgr.at<cv::Vec3b>(static_cast<int>(rng() % bgr.rows), static_cast<int>(rng() % bgr.cols));
        for (int k = 0; k < 3; ++k)
            data.at<float>(i, k) = c[k];
    }
    cv::theRNG().state = rng();
    cv::Mat labels, centres;
    cv::kmeans(data, colours, labels, cv::TermCriteria(cv::TermCriteria::COUNT | cv::TermCriteria::EPS, 8, 1.0), 1,
               cv::KMEANS_PP_CENTERS, centres);
    std::vector<cv::Vec3b> palette;
    for (int i = 0; i < centres.rows; ++i)
        palette.emplace_back(cv::saturate_cast<uchar>(centres.at<float>(i, 0)),
                             cv::saturate_cast<uchar>(centres.at<float>(i, 1)),
                             cv::saturate_cast<uchar>(centres.at<float>(i, 2)));
    return palette;
}

// Indices into a palette, nearest colour or with the error diffused
// (Floyd-Steinberg); colours are looked up in a 32-level cube.
cv::Mat toPalette(const cv::Mat &image, const std::vector<cv::Vec3b> &palette, ScanWriter::Dither dither)
{
    const int channels = image.channels();
    std::vector<uchar> cube(channels == 3 ? 32 * 32 * 32 : 256);
    auto nearest = [&](int b, int g, int r) {
        int best = 0, bestD = 1 << 30;
        for (size_t i = 0; i < palette.size(); ++i) {
            const int db = b - palette[i][0], dg = g - palette[i][1], dr = r - palette[i][2];
            const int d = db * db + dg * dg + dr * dr;
            if (d < bestD) { bestD = d; best = static_cast<int>(i); }
        }
        return static_cast<uchar>(best);
    };
    if (channels == 3) {
        for (int b = 0; b < 32; ++b)
            for (int g = 0; g < 32; ++g)
                for (int r = 0; r < 32; ++r)
                    cube[(b * 32 + g) * 32 + r] = nearest(b * 8 + 4, g * 8 + 4, r * 8 + 4);
    } else {
        for (int v = 0; v < 256; ++v)
            cube[v] = nearest(v, v, v);
    }
    cv::Mat indices(image.size(), CV_8UC1);
    const int w = image.cols;
    std::vector<float> err(static_cast<size_t>((w + 2) * channels) * 2, 0.f);
    float *cur = err.data(), *next = err.data() + (w + 2) * channels;
    for (int y = 0; y < image.rows; ++y) {
        const uchar *in = image.ptr(y);
        uchar *out = indices.ptr(y);
        std::fill(next, next + (w + 2) * channels, 0.f);
        for (int x = 0; x < w; ++x) {
            float v[3];
            for (int k = 0; k < channels; ++k)
                v[k] = std::clamp(in[x * channels + k] + (dither == ScanWriter::Diffusion ? cur[(x + 1) * channels + k] : 0.f),
                                  0.f, 255.f);
            const uchar idx = channels == 3
                                  ? cube[((int(v[0]) >> 3) * 32 + (int(v[1]) >> 3)) * 32 + (int(v[2]) >> 3)]
                                  : cube[int(v[0])];
            out[x] = idx;
            if (dither != ScanWriter::Diffusion)
                continue;
            for (int k = 0; k < channels; ++k) {
                const float e = v[k] - palette[idx][k];
                cur[(x + 2) * channels + k] += e * 7 / 16;
                next[x * channels + k] += e * 3 / 16;
                next[(x + 1) * channels + k] += e * 5 / 16;
                next[(x + 2) * channels + k] += e / 16;
            }
        }
        std::swap(cur, next);
    }
    return indices;
}

// Multiplies the picture by a brush (light, stains, folds).
void multiply(QPainter &p, const QBrush &brush, const QRectF &area)
{
    p.setCompositionMode(QPainter::CompositionMode_Multiply);
    p.fillRect(area, brush);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

} // namespace

void ScanWriter::age(QImage &image, const SheetScan &scan, Rng &rng)
{
    const double w = image.width(), h = image.height();
    const QRectF all(0, 0, w, h);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    if (scan.yellowed)
        multiply(p, QColor(253, 246, 222), all);
    if (scan.unevenLight) {
        // Brighter in one place, falling off towards a side.
        const double a = uniform(rng, 0, 2 * M_PI);
        QLinearGradient g(QPointF(w / 2 - std::cos(a) * w / 2, h / 2 - std::sin(a) * h / 2),
                          QPointF(w / 2 + std::cos(a) * w / 2, h / 2 + std::sin(a) * h / 2));
        const int dark = static_cast<int>(uniform(rng, 185, 235));
        g.setColorAt(0, Qt::white);
        g.setColorAt(uniform(rng, 0.3, 0.8), Qt::white);
        g.setColorAt(1, QColor(dark, dark, dark));
        multiply(p, g, all);
    }
    if (scan.stains) {
        const int n = 2 + static_cast<int>(rng() % 5);
        for (int i = 0; i < n; ++i) {
            const QPointF c(uniform(rng, 0, w), uniform(rng, 0, h));
            const double r = uniform(rng, 0.02, 0.09) * std::max(w, h);
            QRadialGradient g(c, r);
            QColor stain(static_cast<int>(uniform(rng, 150, 220)), static_cast<int>(uniform(rng, 120, 190)),
                         static_cast<int>(uniform(rng, 70, 150)));
            stain.setAlphaF(static_cast<float>(uniform(rng, 0.3, 0.8)));
            QColor clear = stain;
            clear.setAlphaF(0);
            g.setColorAt(0, stain);
            g.setColorAt(uniform(rng, 0.5, 0.9), stain);
            g.setColorAt(1, clear);
            multiply(p, g, QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r));
        }
    }
    if (scan.folds) {
        // A crease across the sheet, near the middle, a little slanted.
        const int n = 1 + static_cast<int>(rng() % 2);
        for (int i = 0; i < n; ++i) {
            const bool across = rng() % 2;
            const double at = uniform(rng, 0.35, 0.65) * (across ? h : w);
            const double slant = uniform(rng, -0.01, 0.01);
            const double width = uniform(rng, 4, 16);
            p.save();
            if (across) {
                p.translate(0, at);
                p.rotate(slant * 57.3);
            } else {
                p.translate(at, 0);
                p.rotate(90 + slant * 57.3);
            }
            QLinearGradient g(QPointF(0, -width), QPointF(0, width));
            const int dark = static_cast<int>(uniform(rng, 140, 210));
            g.setColorAt(0, Qt::white);
            g.setColorAt(0.5, QColor(dark, dark, dark));
            g.setColorAt(1, Qt::white);
            multiply(p, g, QRectF(-0.1 * std::max(w, h), -width, 1.2 * std::max(w, h) * 1.2, 2 * width));
            p.restore();
        }
    }
    if (scan.print.watermark) {
        // A site's name laid over the map, large and faint, repeated.
        const QString texts[] = {QStringLiteral("TOPO ARCHIVE"), QStringLiteral("КАРТЫ СССР"), QStringLiteral("SCAN 2009"),
                                 QStringLiteral("ГЕНШТАБ ОНЛАЙН")};
        const QString text = texts[rng() % 4];
        const double height = uniform(rng, 0.03, 0.09) * h;
        QColor c = rng() % 2 ? QColor(120, 120, 120) : QColor(200, 60, 60);
        c.setAlphaF(static_cast<float>(uniform(rng, 0.12, 0.35)));
        const double angle = uniform(rng, -40, 40);
        const int copies = 1 + static_cast<int>(rng() % 3);
        for (int i = 0; i < copies; ++i) {
            p.save();
            p.translate(uniform(rng, 0.25, 0.75) * w, (i + 0.5) / copies * h);
            p.rotate(angle);
            p.setPen(c);
            StrokeFont::draw(p, QPointF(-StrokeFont::width(text, height) / 2, height / 2), text, height, 0.12);
            p.restore();
        }
    }
}

bool ScanWriter::write(const QImage &image, const SheetScan &scan, const QString &path, Rng &rng)
{
    const int w = image.width(), h = image.height();
    cv::Mat bgra(h, w, CV_8UC4, const_cast<uchar *>(image.constBits()), static_cast<size_t>(image.bytesPerLine()));
    cv::Mat mat;
    const bool grey = scan.greyScan || !scan.colour;
    cv::cvtColor(bgra, mat, grey ? cv::COLOR_BGRA2GRAY : cv::COLOR_BGRA2BGR);
    if (scan.blur > 0)
        cv::GaussianBlur(mat, mat, cv::Size(0, 0), scan.blur, scan.blur * uniform(rng, 0.8, 1.2));
    if (scan.noise > 0) {
        // Sensor noise: rows of a tile of Gaussian noise, each taken at a
        // random shift (cheap on a hundred megapixels, and without a pattern).
        const int tw = 2048, th = 1021;
        cv::Mat tile(th, tw, CV_16S);
        cv::RNG cvrng(scan.seed);
        cvrng.fill(tile, cv::RNG::NORMAL, 0, scan.noise);
        const int ch = mat.channels(), rowLen = mat.cols * ch;
        for (int y = 0; y < mat.rows; ++y) {
            uchar *row = mat.ptr(y);
            const short *n = tile.ptr<short>(y % th);
            int at = static_cast<int>(rng() % tw);
            for (int i = 0; i < rowLen; ++i) {
                row[i] = cv::saturate_cast<uchar>(row[i] + n[at]);
                if (++at == tw)
                    at = 0;
            }
        }
    }
    return save(mat, path, scan.format, scan.jpegQuality, scan.paletteColours,
                scan.print.ditherGif ? Diffusion : Nearest, rng);
}

bool ScanWriter::save(const cv::Mat &image, const QString &path, const QString &format, int quality, int colours,
                      Dither dither, Rng &rng)
{
    const std::string name = QFile::encodeName(path).toStdString();
    if (format == QLatin1String("gif")) {
        const int levels = colours > 1 ? std::min(colours, 256) : 256;
        std::vector<cv::Vec3b> palette;
        if (image.channels() == 3) {
            palette = adaptivePalette(image, levels, rng);
            return writeGif(toPalette(image, palette, dither), palette, path);
        }
        for (int i = 0; i < levels; ++i) {
            const auto g = static_cast<uchar>(levels == 1 ? 0 : i * 255 / (levels - 1));
            palette.emplace_back(g, g, g);
        }
        if (dither != Random)
            return writeGif(toPalette(image, palette, dither), palette, path);
        cv::Mat indices(image.size(), CV_8UC1);
        std::uniform_real_distribution<double> noise(-0.5, 0.5);
        for (int y = 0; y < image.rows; ++y)
            for (int x = 0; x < image.cols; ++x) {
                const double v = image.at<uchar>(y, x) * (levels - 1) / 255.0 + noise(rng);
                indices.at<uchar>(y, x) = static_cast<uchar>(std::clamp<long>(std::lround(v), 0, levels - 1));
            }
        return writeGif(indices, palette, path);
    }
    std::vector<int> params;
    if (format == QLatin1String("jpg"))
        params = {cv::IMWRITE_JPEG_QUALITY, quality};
    return cv::imwrite(name, image, params);
}
