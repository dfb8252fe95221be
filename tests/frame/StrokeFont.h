#pragma once

#include <QPointF>
#include <QString>

class QPainter;

// Lettering drawn with strokes, the way a plotter or a drafting template
// writes it: digits, the degree and minute signs, Latin and Cyrillic capitals
// (small letters are smaller capitals). It needs no installed font, so a drawn
// sheet comes out the same on every machine.
class StrokeFont
{
public:
    // Writes `text` with its baseline's left end at `at` (painter units):
    // `height` is the capitals' height; `weight` the stroke width as a share
    // of it (0.09 regular, 0.16 bold). The painter's pen colour is used.
    static void draw(QPainter &p, const QPointF &at, const QString &text, double height, double weight = 0.09);
    // The width `text` takes at that height.
    static double width(const QString &text, double height);
};
