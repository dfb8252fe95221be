#pragma once

#include <QPointF>

#include <opencv2/core.hpp>

#include <vector>

// Reads a grey scan between its pixels. A cut across a line is averaged over
// a short stretch along the line and read with bilinear interpolation, so
// that a thin line at any slant reads as one continuous dark dip rather than
// as dashes stepping from row to row.
class FrameProbe
{
public:
    explicit FrameProbe(const cv::Mat &grey);

    int width() const { return m_grey.cols; }
    int height() const { return m_grey.rows; }
    bool contains(const QPointF &p, double margin = 0) const;
    // The value at (x, y), clamped to the image.
    float value(double x, double y) const;

    // out[half + k] = value at centre + normal * k, k = -half..half, each the
    // mean of the values at that point + along * j, j = -spread..spread.
    // `along` and `normal` are unit vectors.
    void cut(const QPointF &centre, const QPointF &along, const QPointF &normal, int half, int spread,
             std::vector<float> &out) const;

    // A dark dip of a cut: a thin line crossing it.
    struct Dip
    {
        double centre = 0; // sample index, sub-sample
        double depth = 0;    // below the lower of its two flanks
        double contrast = 0; // below the higher: a line's darkness beside another stroke
        double width = 0;    // samples darker than half the depth
    };
    // The dips at least `minDepth` darker than the lightest value within
    // `flank` samples on either side (so a dip is a line, not the edge of a
    // dark area); dips nearer than `flank` to an end of the cut are not taken.
    static void dips(const std::vector<float> &cut, int flank, double minDepth, std::vector<Dip> &out);

private:
    const cv::Mat &m_grey;
};
