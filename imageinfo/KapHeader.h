#pragma once

#include <QString>
#include <QtGlobal>

class QIODevice;

// The pixel size of a BSB nautical chart (.KAP, .CAP), from the "RA=width,height"
// field of its text header. Only the text header is read (it ends at the first
// 0x1A byte), and at most its first 64 KiB.
class KapHeader
{
public:
    // False when the file cannot be opened or its header holds no usable
    // RA= field; errorString() says why.
    bool read(const QString &fileName);
    bool read(QIODevice &device);

    quint64 width() const { return m_width; }
    quint64 height() const { return m_height; }
    QString errorString() const { return m_error; }

private:
    bool fail(const QString &text);

    quint64 m_width = 0;
    quint64 m_height = 0;
    QString m_error;
};
