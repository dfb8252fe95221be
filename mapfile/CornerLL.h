#pragma once

// One MMPLL line: corner longitude and latitude and the index of its line (0 = none seen).
struct CornerLL
{
    double Lon = 0;
    double Lat = 0;
    int LineNo = 0;
};
