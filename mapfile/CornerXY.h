#pragma once

#include <QtGlobal>

// One MMPXY line: corner pixel position and the index of its line (0 = none seen).
struct CornerXY
{
    qint16 X = 0;
    qint16 Y = 0;
    int LineNo = 0;
};
