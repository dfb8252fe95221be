#include "frame/FrameProbe.h"

#include <algorithm>
#include <cmath>

FrameProbe::FrameProbe(const cv::Mat &grey)
    : m_grey(grey)
{
}

bool FrameProbe::contains(const QPointF &p, double margin) const
{
    return p.x() >= margin && p.y() >= margin && p.x() <= m_grey.cols - 1 - margin && p.y() <= m_grey.rows - 1 - margin;
}

float FrameProbe::value(double x, double y) const
{
    if (!(x >= 0 && y >= 0 && x < m_grey.cols - 1 && y < m_grey.rows - 1)) {
        // At or beyond the last row or column: clamped to the image.
        x = std::clamp(x, 0.0, double(m_grey.cols - 1));
        y = std::clamp(y, 0.0, double(m_grey.rows - 1));
        const int x0 = static_cast<int>(x), y0 = static_cast<int>(y);
        const int x1 = std::min(x0 + 1, m_grey.cols - 1), y1 = std::min(y0 + 1, m_grey.rows - 1);
        const float fx = static_cast<float>(x - x0), fy = static_cast<float>(y - y0);
        const uchar *r0 = m_grey.ptr(y0);
        const uchar *r1 = m_grey.ptr(y1);
        const float top = r0[x0] + fx * (r0[x1] - r0[x0]);
        const float bottom = r1[x0] + fx * (r1[x1] - r1[x0]);
        return top + fy * (bottom - top);
    }
    const int x0 = static_cast<int>(x), y0 = static_cast<int>(y);
    const float fx = static_cast<float>(x - x0), fy = static_cast<float>(y - y0);
    const uchar *r0 = m_grey.ptr(y0) + x0;
    const uchar *r1 = r0 + m_grey.step[0];
    const float top = r0[0] + fx * (r0[1] - r0[0]);
    const float bottom = r1[0] + fx * (r1[1] - r1[0]);
    return top + fy * (bottom - top);
}

void FrameProbe::cut(const QPointF &centre, const QPointF &along, const QPointF &normal, int half, int spread,
                     std::vector<float> &out) const
{
    out.assign(static_cast<size_t>(2 * half + 1), 0.0f);
    const float share = 1.0f / static_cast<float>(2 * spread + 1);
    for (int j = -spread; j <= spread; ++j) {
        const QPointF base = centre + along * j;
        for (int k = -half; k <= half; ++k) {
            const QPointF p = base + normal * k;
            out[static_cast<size_t>(k + half)] += value(p.x(), p.y()) * share;
        }
    }
}

void FrameProbe::dips(const std::vector<float> &g, int flank, double minDepth, std::vector<Dip> &out)
{
    out.clear();
    const int n = static_cast<int>(g.size());
    for (int i = flank; i + flank < n; ++i) {
        if (!(g[i] <= g[i - 1] && g[i] < g[i + 1]))
            continue;
        float left = g[i], right = g[i];
        for (int q = i - flank; q < i; ++q) left = std::max(left, g[q]);
        for (int q = i + 1; q <= i + flank; ++q) right = std::max(right, g[q]);
        const double depth = std::min(left, right) - g[i];
        if (depth < minDepth)
            continue;
        const double contrast = std::max(left, right) - g[i];
        // The dip's own slopes, down to half its depth.
        const double level = g[i] + depth / 2;
        int l = i, r = i;
        while (l - 1 >= 0 && g[l - 1] < level && g[l - 1] >= g[l]) --l;
        while (r + 1 < n && g[r + 1] < level && g[r + 1] >= g[r]) ++r;
        double w = 0, m = 0;
        for (int q = l; q <= r; ++q) {
            const double wq = level - g[q] + 0.5;
            w += wq;
            m += wq * q;
        }
        Dip d;
        d.centre = w > 0 ? m / w : i;
        if (l == r) {
            // One sample below half depth: the parabola through the lowest three.
            const double den = g[i - 1] - 2.0 * g[i] + g[i + 1];
            if (den > 0)
                d.centre = i + std::clamp(0.5 * (g[i - 1] - g[i + 1]) / den, -0.5, 0.5);
        }
        d.depth = depth;
        d.contrast = contrast;
        d.width = r - l + 1;
        out.push_back(d);
    }
}
