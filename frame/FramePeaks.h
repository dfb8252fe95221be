#pragma once

// The peaks of a vote over two dimensions (the frame finder votes over angle
// and offset): `visit(i, j, value)` for every cell of rows 0..rows-1 and
// columns 1..columns-2 whose `value(i, j)` reaches `least` and is not below
// any other within `reachI` rows and `reachJ` columns (of equal values the
// first in reading order is the peak).
template <typename Value, typename Visit>
void forEachPeak(int rows, int columns, int reachI, int reachJ, double least, const Value &value, const Visit &visit)
{
    for (int i = 0; i < rows; ++i)
        for (int j = 1; j + 1 < columns; ++j) {
            const auto v = value(i, j);
            if (v < least)
                continue;
            bool top = true;
            for (int di = -reachI; di <= reachI && top; ++di)
                for (int dj = -reachJ; dj <= reachJ && top; ++dj) {
                    if (di == 0 && dj == 0)
                        continue;
                    const auto w = value(i + di, j + dj);
                    if (w > v || (w == v && (di < 0 || (di == 0 && dj < 0))))
                        top = false;
                }
            if (top)
                visit(i, j, v);
        }
}
