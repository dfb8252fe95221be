#pragma once

#include <QString>

#include <opencv2/core.hpp>

#include <vector>

// The coarse search for one edge of the inner frame on a reduced binary image
// of the scan's thin dark strokes. Seen from the paper's edge inwards, the
// edge shows the minute frame (a band of alternating black and white bars
// between two lines) and, beyond the blank label band, the inner frame line:
// the first long line inside the minute frame. Lines are looked for at the
// angles a turned scan and the sheet's leaning sides give.
class FrameEdge
{
public:
    enum Side { North = 0, East = 1, South = 2, West = 3 };

    // `strokes`: 0/255 image of `grey`; `minutes`: the minutes along this edge.
    FrameEdge(const cv::Mat &strokes, const cv::Mat &grey, Side side, double minutes);

    // False with reason() when no minute frame with an inner frame line
    // inside it is seen on this edge.
    bool search();

    // The inner frame line in reduced pixels: for the north and south edges
    // y = a + b x, for the west and east edges x = a + b y.
    double a() const { return m_a; }
    double b() const { return m_b; }
    // Width of the label band: from the inner frame line out to the minute frame.
    double labelBand() const { return m_labelBand; }
    QString reason() const { return m_reason; }

    static QString sideName(Side side);

private:
    struct Point { float u; float v; };

    bool dark(double u, double v) const;
    int grey(double u, double v) const;
    void profile(double t, std::vector<int> &bins) const;
    double windowScore(const std::vector<int> &bins) const;
    bool minuteLike(double rho, double t, std::vector<char> *pattern = nullptr) const;

    const cv::Mat &m_strokes;
    const cv::Mat &m_grey;
    Side m_side;
    double m_minutes;
    int m_lenU = 0;    // along the edge
    int m_depth = 0;   // across, inwards
    int m_uMin = 0, m_uMax = 0;
    int m_offset = 0;  // bin of rho = 0
    std::vector<Point> m_points;

    double m_a = 0, m_b = 0, m_labelBand = 0;
    QString m_reason;
};
