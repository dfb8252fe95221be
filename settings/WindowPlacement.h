#pragma once

#include <QString>

// Where a window stands, in core terms: saved under "Zoom", "Left", "Width",
// "Top" and "Height" followed by the window's name ("LeftMapCreator").
struct WindowPlacement
{
    bool maximised = false;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    // Writes Zoom (1 maximised, 0 otherwise), Left, Width, Top, Height, in that order.
    void save(const QString &name) const;

    // Reads the stored values over this one with every error skipped: a missing
    // or non-numeric value, or one that does not fit a 16-bit integer, leaves
    // the field as it is; a width or height below 1 is not taken either.
    // A stored Zoom of 0 or none makes the window normal.
    void restore(const QString &name);
};
