#pragma once

#include <QByteArray>
#include <QString>

// The Windows-1251 (Cyrillic ANSI) code page, with a table of its own so that
// the program reads and writes map files the same way on every platform.
// Byte 0x98, which the code page leaves undefined, maps to U+0098 and back, so
// that every byte value survives a decode and encode.
class Windows1251
{
public:
    Windows1251() = delete;

    // The text of `size` bytes.
    static QString decode(const char *data, qsizetype size);
    static QString decode(const QByteArray &bytes) { return decode(bytes.constData(), bytes.size()); }

    // Appends the bytes of `text` to `out`. Returns -1 when every character
    // was written, else the index of the first character the code page cannot
    // hold (`out` then holds the bytes before it).
    static qsizetype encode(const QString &text, QByteArray &out);

    // The byte of one character, or -1 when the code page cannot hold it.
    static int byteOf(char16_t ch);
};
