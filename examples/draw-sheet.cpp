// Draws one small stand-in for a scanned map sheet: a paper collar with the
// sheet name, the sheet frame inside the blank margins (top, bottom, sides in
// percent), a graticule and a few contour-like strokes.
//
//   draw-sheet OUT.(jpg|png|gif|bmp) WIDTH HEIGHT LABEL [TOP BOTTOM SIDE]
//
// Built and run by examples/make-samples.

#include <QByteArray>
#include <QColor>
#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRandomGenerator>

#include <cstdio>

namespace {

// GIF writer for a 4-colour image (Qt reads GIF but does not write it).
bool writeGif(const QImage &source, const QString &path)
{
    const QImage img = source.convertToFormat(QImage::Format_RGB32);
    const QList<QColor> palette = {QColor(250, 246, 232), QColor(40, 40, 40), QColor(190, 120, 60),
                                   QColor(70, 120, 200)};
    auto nearest = [&](QRgb c) {
        int best = 0;
        int bestDist = 1 << 30;
        for (int i = 0; i < palette.size(); ++i) {
            const int dr = qRed(c) - palette[i].red(), dg = qGreen(c) - palette[i].green(),
                      db = qBlue(c) - palette[i].blue();
            const int d = dr * dr + dg * dg + db * db;
            if (d < bestDist) {
                bestDist = d;
                best = i;
            }
        }
        return best;
    };

    QByteArray out("GIF89a");
    auto le16 = [&](int v) {
        out.append(char(v & 0xFF));
        out.append(char((v >> 8) & 0xFF));
    };
    le16(img.width());
    le16(img.height());
    out.append(char(0x81)); // global colour table, 4 entries
    out.append('\0');
    out.append('\0');
    for (const QColor &c : palette)
        out.append(char(c.red())).append(char(c.green())).append(char(c.blue()));
    out.append(',');
    le16(0);
    le16(0);
    le16(img.width());
    le16(img.height());
    out.append('\0');
    out.append(char(2)); // LZW minimum code size

    // LZW with variable code width (3..12 bits) and a clear code when the table is full.
    QByteArray data;
    quint32 bits = 0;
    int nbits = 0;
    int width = 3;
    auto put = [&](int code) {
        bits |= quint32(code) << nbits;
        nbits += width;
        while (nbits >= 8) {
            data.append(char(bits & 0xFF));
            bits >>= 8;
            nbits -= 8;
        }
    };
    const int clear = 4, end = 5;
    QHash<quint32, int> table; // (prefix code << 8 | pixel) -> code
    int next = 6;
    put(clear);
    int prefix = -1;
    for (int y = 0; y < img.height(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const int px = nearest(line[x]);
            if (prefix < 0) {
                prefix = px;
                continue;
            }
            const quint32 key = (quint32(prefix) << 8) | quint32(px);
            const auto it = table.constFind(key);
            if (it != table.constEnd()) {
                prefix = it.value();
                continue;
            }
            put(prefix);
            if (next < 4096) {
                table.insert(key, next++);
                if (next > (1 << width) && width < 12)
                    ++width;
            } else {
                put(clear);
                table.clear();
                next = 6;
                width = 3;
            }
            prefix = px;
        }
    }
    if (prefix >= 0)
        put(prefix);
    put(end);
    if (nbits > 0)
        data.append(char(bits & 0xFF));
    for (qsizetype i = 0; i < data.size(); i += 255) {
        const QByteArray block = data.mid(i, 255);
        out.append(char(block.size()));
        out.append(block);
    }
    out.append('\0');
    out.append(';');

    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(out) == out.size();
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 5 && args.size() != 8) {
        std::fputs("usage: draw-sheet OUT WIDTH HEIGHT LABEL [TOP BOTTOM SIDE]\n", stderr);
        return 2;
    }
    const QString path = args[1];
    const int w = args[2].toInt();
    const int h = args[3].toInt();
    const QString label = args[4];
    const double top = args.size() == 8 ? args[5].toDouble() / 100 : 0.05;
    const double bottom = args.size() == 8 ? args[6].toDouble() / 100 : 0.05;
    const double side = args.size() == 8 ? args[7].toDouble() / 100 : 0.03;

    QImage img(w, h, QImage::Format_RGB32);
    img.fill(QColor(250, 246, 232));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, false);

    // The sheet frame: its corners are the calibration corners.
    const int x0 = int(w * side), x1 = int((1 - side) * w);
    const int y0 = int(h * top), y1 = int((1 - bottom) * h);
    const QRect frame(QPoint(x0, y0), QPoint(x1, y1));

    // Contour-like strokes from a seed taken from the label, so every sheet differs.
    QRandomGenerator rng(qHash(label));
    p.setPen(QPen(QColor(190, 120, 60), 1));
    for (int c = 0; c < 6; ++c) {
        QPainterPath path;
        const double cy = y0 + (y1 - y0) * (c + 1) / 7.0;
        path.moveTo(x0, cy);
        for (int x = x0; x <= x1; x += 8)
            path.lineTo(x, cy + int(rng.bounded(9)) - 4);
        p.drawPath(path);
    }
    p.setPen(QPen(QColor(70, 120, 200), 2));
    p.drawLine(x0 + (x1 - x0) / 5, y1, x0 + (x1 - x0) * 3 / 5, y0);

    // Graticule: quarters of the frame.
    p.setPen(QPen(QColor(40, 40, 40), 1, Qt::DotLine));
    for (int i = 1; i < 4; ++i) {
        p.drawLine(x0 + (x1 - x0) * i / 4, y0, x0 + (x1 - x0) * i / 4, y1);
        p.drawLine(x0, y0 + (y1 - y0) * i / 4, x1, y0 + (y1 - y0) * i / 4);
    }
    p.setPen(QPen(QColor(40, 40, 40), 2));
    p.drawRect(frame);

    QFont font = p.font();
    font.setPixelSize(qMax(8, y0 - 4));
    p.setFont(font);
    p.drawText(QRect(0, 0, w, y0), Qt::AlignCenter, label);
    p.end();

    bool ok = false;
    if (path.endsWith(QLatin1String(".gif"), Qt::CaseInsensitive))
        ok = writeGif(img, path);
    else if (path.endsWith(QLatin1String(".bmp"), Qt::CaseInsensitive))
        ok = img.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither).save(path, "BMP");
    else if (path.endsWith(QLatin1String(".jpg"), Qt::CaseInsensitive))
        ok = img.save(path, "JPEG", 60);
    else
        ok = img.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither).save(path, "PNG", 9);
    if (!ok) {
        std::fprintf(stderr, "draw-sheet: cannot write %s\n", qPrintable(path));
        return 1;
    }
    return 0;
}
