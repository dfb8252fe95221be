#pragma once

#include <QByteArray>
#include <QString>

// One line of a map file: Title, a comma, Body (see MapFile::lineText).
// Tag is kept with the line and never written.
struct MapLine
{
    QString Title;
    QString Body;
    qint16 Tag = -1;

    // The bytes the line had in the file it was read from, without its line
    // end, kept while the line is unchanged so that it is written back byte
    // for byte. Empty and rawValid false for lines made or changed by program.
    QByteArray raw;
    bool rawValid = false;
    // The line end read after it: "\r\n", "\n", or "" for a last line without one.
    QByteArray eol;
};
