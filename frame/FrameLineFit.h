#pragma once

#include <opencv2/core.hpp>

// The sub-pixel centre line of one thin dark line on the full-size scan, near
// an estimate: across = a + b * along, where along is x and across is y for a
// line running west-east (`horizontal`), and the other way round otherwise.
// Each cut across the line gives the centre of every dark stroke in a window
// around the estimate; the line is the set of centres that lines up along the
// most cuts (on a tie, the outermost: roads run inside the frame, not outside).
class FrameLineFit
{
public:
    FrameLineFit(const cv::Mat &grey, bool horizontal);

    // `outward`: +1 when the paper's edge lies towards growing `across`, else -1.
    bool fit(double a, double b, double alongFrom, double alongTo, double window, int outward);

    double a() const { return m_a; }
    double b() const { return m_b; }
    double rms() const { return m_rms; }
    // Part of the cuts that saw the line.
    double support() const { return m_support; }

private:
    int value(int along, int across) const;

    const cv::Mat &m_grey;
    bool m_horizontal;
    int m_alongSize, m_acrossSize;
    double m_a = 0, m_b = 0, m_rms = 0, m_support = 0;
};
