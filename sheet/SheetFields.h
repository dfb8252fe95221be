#pragma once

#include <QtGlobal>

// The sheet identity a MapFile holds, as the pure geometry and text functions take it.
struct SheetFields
{
    qint16 iRow = -1;     // 1:1M row, A = 1 .. V = 22 (counted from the equator, north or south)
    qint16 iCol = -1;     // 1:1M column 1..60
    qint16 iList = -1;    // sub-sheet within the 1:1M sheet
    qint16 iList50 = 0;   // 1:50K letter index 1..4
    qint16 iList25 = 0;   // 1:25K letter index 1..4
    qint16 iList10 = 0;   // 1:10K sheet number 1..4
    qint16 iScale = -1;   // 10, 25, 50, 100, 200, 500 or 1000
    bool bSouth = false;  // southern hemisphere
    qint16 iY = 0;        // image height in pixels (metres per pixel)
};
