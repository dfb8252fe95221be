#include "sheet/SheetGeometry.h"

#include "sheet/Numeric.h"

#include <cmath>

namespace {

// 16-bit integer step: the result must fit, as the sheet fields do.
qint16 i16(long long value)
{
    return Numeric::toInt16(value);
}

enum class Edge { None, First, Second, Middle };

// Latitude: points 1, 2, 6 lie on the north edge, 3, 4, 9 on the south edge,
// 5, 7, 8 on the middle parallel.
Edge latitudeEdge(int k)
{
    switch (k) {
    case 1: case 2: case 6: return Edge::First;
    case 3: case 4: case 9: return Edge::Second;
    case 5: case 7: case 8: return Edge::Middle;
    default: return Edge::None;
    }
}

// Longitude: points 1, 4, 7 lie on the west edge, 2, 3, 8 on the east edge,
// 5, 6, 9 on the middle meridian.
Edge longitudeEdge(int k)
{
    switch (k) {
    case 1: case 4: case 7: return Edge::First;
    case 2: case 3: case 8: return Edge::Second;
    case 5: case 6: case 9: return Edge::Middle;
    default: return Edge::None;
    }
}

// North edge of the 1:1M sheet: 4R in the north; in the south the sheet of
// row R spans -4R .. -4(R-1), so its north edge is -4(R-1).
qint16 northOfMillionSheet(const SheetFields &s)
{
    if (s.bSouth)
        return i16(-static_cast<long long>(i16(4LL * i16(s.iRow - 1LL))));
    return i16(4LL * s.iRow);
}

// The 1:100K step shared by 1:100K and the scales below it.
double latitude100(qint16 top, qint16 n, Edge edge)
{
    const qint16 r = i16(static_cast<long long>(std::floor(i16(n - 1LL) / 12.0)));
    switch (edge) {
    case Edge::First: return top - i16(r * 20LL) / 60.0;
    case Edge::Second: return top - i16(i16(r + 1LL) * 20LL) / 60.0;
    case Edge::Middle: return top - i16(r * 20LL) / 60.0 - 10.0 / 60.0;
    case Edge::None: break;
    }
    return 0;
}

// The latitude of an edge of quarter `q` (1, 2 north; 3, 4 south) of a sheet
// `step` degrees high, from the same edge `v` of the whole sheet.
double quarterLatitude(double v, qint16 q, double step, Edge edge)
{
    const bool north = q == 1 || q == 2, south = q == 3 || q == 4;
    switch (edge) {
    case Edge::First: return south ? v - step : v;
    case Edge::Second: return north ? v + step : v;
    case Edge::Middle: return north ? v + step / 2 : south ? v - step / 2 : v;
    case Edge::None: break;
    }
    return v;
}

double latitude50(qint16 top, qint16 n, qint16 a, Edge edge)
{
    return quarterLatitude(latitude100(top, n, edge), a, 10.0 / 60.0, edge);
}

double latitude25(qint16 top, qint16 n, qint16 a, qint16 b, Edge edge)
{
    return quarterLatitude(latitude50(top, n, a, edge), b, 5.0 / 60.0, edge);
}

double longitude100(qint16 lon0, qint16 w, qint16 n, Edge edge)
{
    const qint16 c = i16(i16(n + 11LL) % 12);
    switch (edge) {
    case Edge::First: return c * 0.5 + lon0;
    case Edge::Second: return i16(static_cast<long long>(c) + w) * 0.5 + lon0;
    case Edge::Middle: return (w / 2.0 + c) * 0.5 + lon0;
    case Edge::None: break;
    }
    return 0;
}

} // namespace

double SheetGeometry::latitude(const SheetFields &s, int k)
{
    const Edge edge = latitudeEdge(k);
    const qint16 top = northOfMillionSheet(s);
    const qint16 n = s.iList;

    switch (s.iScale) {
    case 1000:
        switch (edge) {
        case Edge::First: return top;
        case Edge::Second: return i16(top - 4LL);
        case Edge::Middle: return i16(top - 2LL);
        case Edge::None: return 0;
        }
        return 0;
    case 500:
        if (n == 1 || n == 2) {
            switch (edge) {
            case Edge::First: return top;
            case Edge::Second: return i16(top - 2LL);
            case Edge::Middle: return i16(top - 1LL);
            case Edge::None: return 0;
            }
        } else if (n == 3 || n == 4) {
            switch (edge) {
            case Edge::First: return i16(top - 2LL);
            case Edge::Second: return i16(top - 4LL);
            case Edge::Middle: return i16(top - 3LL);
            case Edge::None: return 0;
            }
        }
        return 0;
    case 200: {
        const qint16 r = i16(static_cast<long long>(std::floor(i16(n - 1LL) / 6.0)));
        switch (edge) {
        case Edge::First: return top - i16(r * 4LL) / 6.0;
        case Edge::Second: return top - i16(i16(r + 1LL) * 4LL) / 6.0;
        case Edge::Middle: return top - i16(r * 4LL) / 6.0 - 2.0 / 6.0;
        case Edge::None: return 0;
        }
        return 0;
    }
    case 100:
        return latitude100(top, n, edge);
    case 50:
        return latitude50(top, n, s.iList50, edge);
    case 25:
        return latitude25(top, n, s.iList50, s.iList25, edge);
    case 10:
        // Each 1:10K sheet is a quarter of its 1:25K sheet: 2'30" of latitude.
        return quarterLatitude(latitude25(top, n, s.iList50, s.iList25, edge), s.iList10, 2.5 / 60.0, edge);
    default:
        return 0;
    }
}

double SheetGeometry::longitude(const SheetFields &s, int k)
{
    const Edge edge = longitudeEdge(k);
    const qint16 lon0 = i16(i16(i16(s.iCol - 1LL) * 6LL) - 180LL);
    // Sheets north (or south) of 60 degrees are doubled, north of 76 degrees
    // quadrupled (tripled at 1:200K).
    qint16 w = 1;
    if (s.iRow >= 1 && s.iRow <= 15)
        w = 1;
    else if (s.iRow >= 16 && s.iRow <= 19)
        w = 2;
    else
        w = s.iScale == 200 ? 3 : 4;
    const qint16 n = s.iList;
    const qint16 a = s.iList50;

    switch (s.iScale) {
    case 1000:
        switch (edge) {
        case Edge::First: return lon0;
        case Edge::Second: return i16(i16(w * 6LL) + static_cast<long long>(lon0));
        case Edge::Middle: return (w / 2.0) * 6 + lon0;
        case Edge::None: return 0;
        }
        return 0;
    case 500: {
        const qint16 half = i16(n + 1LL) & 1;
        switch (edge) {
        case Edge::First: return i16(i16(half * 3LL) + static_cast<long long>(lon0));
        case Edge::Second:
            return i16(i16(i16(static_cast<long long>(half) + w) * 3LL) + static_cast<long long>(lon0));
        case Edge::Middle: return (w / 2.0 + half) * 3 + lon0;
        case Edge::None: return 0;
        }
        return 0;
    }
    case 200: {
        const qint16 c = i16(i16(n + 5LL) % 6);
        switch (edge) {
        case Edge::First: return i16(static_cast<long long>(c) + lon0);
        case Edge::Second: return i16(i16(static_cast<long long>(c) + w) + static_cast<long long>(lon0));
        case Edge::Middle: return (w / 2.0 + c) + lon0;
        case Edge::None: return 0;
        }
        return 0;
    }
    case 100:
        return longitude100(lon0, w, n, edge);
    case 50: {
        double v = longitude100(lon0, w, n, edge);
        switch (edge) {
        case Edge::First:
            if (a == 2 || a == 4)
                v += (15.0 / 60.0) * w;
            break;
        case Edge::Second:
            if (a == 1 || a == 3)
                v -= (15.0 / 60.0) * w;
            break;
        case Edge::Middle:
            if (a == 1 || a == 3)
                v -= (i16(w * 15LL) / 60.0) / 2;
            else if (a == 2 || a == 4)
                v += (i16(w * 15LL) / 60.0) / 2;
            break;
        case Edge::None: break;
        }
        return v;
    }
    case 25: {
        // The 1:25K base: the west edge of the 1:50K sheet, its quarter step
        // taken without the width factor.
        const qint16 c = i16(i16(n + 11LL) % 12);
        double b = c * 0.5 + lon0;
        if (a == 2 || a == 4)
            b += 15.0 / 60.0;
        const qint16 q = s.iList25;
        const bool westQuarter = q == 1 || q == 3;
        const bool eastQuarter = q == 2 || q == 4;
        switch (edge) {
        case Edge::First:
            return eastQuarter ? b + (15.0 / 60.0) / 2 : b;
        case Edge::Second:
            if (westQuarter)
                return b + (i16(w * 15LL) / 60.0) / 2;
            if (eastQuarter)
                return b + 15.0 / 60.0;
            return b;
        case Edge::Middle:
            if (westQuarter)
                return b + (i16(w * 15LL) / 60.0) / 4;
            if (eastQuarter)
                return b + (15.0 / 60.0) / 2 + (15.0 / 60.0) / 4;
            return b;
        case Edge::None:
            return b;
        }
        return b;
    }
    case 10: {
        // Each 1:10K sheet is a quarter of its 1:25K sheet (3'45" of
        // longitude, times the width factor). As at 1:25K, the base is the
        // west edge of the larger sheet, its quarter steps without the factor.
        const qint16 c = i16(i16(n + 11LL) % 12);
        double b = c * 0.5 + lon0;
        if (a == 2 || a == 4)
            b += 15.0 / 60.0;
        const qint16 q = s.iList25;
        if (q == 2 || q == 4)
            b += (15.0 / 60.0) / 2;
        const qint16 d = s.iList10;
        const bool westQuarter = d == 1 || d == 3;
        const bool eastQuarter = d == 2 || d == 4;
        const double quarter = (15.0 / 60.0) / 4; // 3'45"
        switch (edge) {
        case Edge::First:
            return eastQuarter ? b + quarter : b;
        case Edge::Second:
            if (westQuarter)
                return b + (i16(w * 15LL) / 60.0) / 4;
            if (eastQuarter)
                return b + (15.0 / 60.0) / 2;
            return b;
        case Edge::Middle:
            if (westQuarter)
                return b + (i16(w * 15LL) / 60.0) / 8;
            if (eastQuarter)
                return b + quarter + quarter / 2;
            return b;
        case Edge::None:
            return b;
        }
        return b;
    }
    default:
        return 0;
    }
}
