#pragma once

#include <QByteArray>
#include <QString>

// The text encoding of a map file or map list: Windows-1251 (the program's
// own) or UTF-8, which some map readers expect for the title and image lines.
class MapTextEncoding
{
public:
    enum Kind { Windows1251, Utf8 };

    MapTextEncoding() = delete;

    // The encoding of a file's bytes as read: UTF-8 when they are valid UTF-8
    // and hold a non-ASCII character, Windows-1251 for every other file.
    static Kind detect(const QByteArray &bytes);
    // Whether the bytes hold a byte above 0x7F (so that the encodings differ).
    static bool hasNonAscii(const QByteArray &bytes);

    static QString decode(const QByteArray &bytes, Kind kind);
    static QString decode(const char *data, qsizetype size, Kind kind);
    // Appends the bytes of `text`; -1 when all was written, else the index of
    // the first character the encoding cannot hold.
    static qsizetype encode(const QString &text, Kind kind, QByteArray &out);

    // "windows-1251" / "utf-8" (the option and setting values), and back;
    // false for any other text.
    static QString name(Kind kind);
    static bool fromName(const QString &text, Kind &kind);
};
