#pragma once

#include <QString>

#include <random>
#include <vector>

namespace cv { class Mat; }
class QImage;
struct SheetScan;

// The last steps of a drawn scan: what light, age and handling do to the
// picture (uneven light, stains, folds, yellowing, a watermark laid over it),
// the scanner's blur and noise, and the file it is written to (JPEG, PNG,
// TIFF, BMP, or a palette GIF with or without dithering).
class ScanWriter
{
public:
    using Rng = std::mt19937;
    enum Dither { Nearest = 0, Diffusion = 1, Random = 2 };

    // Uneven light, stains, folds, yellowing and the watermark, in place.
    static void age(QImage &image, const SheetScan &scan, Rng &rng);
    // Blur, noise, grey; then writes the file in scan.format.
    static bool write(const QImage &image, const SheetScan &scan, const QString &path, Rng &rng);
    // Writes an 8-bit grey or BGR picture as `format`; a GIF gets a palette
    // of `colours` (grey levels for a grey picture) reached by `dither`.
    static bool save(const cv::Mat &image, const QString &path, const QString &format, int quality, int colours,
                     Dither dither, Rng &rng);
};
