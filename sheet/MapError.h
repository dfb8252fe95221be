#pragma once

#include <QString>

#include <stdexcept>

// A failure that a map-file operation passes to its caller: a file that cannot
// be read or written, a line index outside the document, a number that does
// not fit in 16 bits. text() is the message for the user; it names the file
// (and the line, where there is one) when the failure has one.
class MapError : public std::runtime_error
{
public:
    explicit MapError(const QString &text)
        : std::runtime_error(text.toStdString()), m_text(text) {}

    const QString &text() const noexcept { return m_text; }

private:
    QString m_text;
};
