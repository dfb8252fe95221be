#include "imageinfo/KapHeader.h"

#include <QByteArray>
#include <QFile>

namespace {

constexpr qint64 kHeaderLimit = 65536;

bool isKeyChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

// The decimal number at `pos` (blanks before it skipped); -1 when there is none.
qint64 numberAt(const QByteArray &text, qsizetype &pos)
{
    while (pos < text.size() && text.at(pos) == ' ')
        ++pos;
    qint64 v = -1;
    while (pos < text.size() && text.at(pos) >= '0' && text.at(pos) <= '9') {
        if (v > (qint64(1) << 40))
            return -1; // no chart is that large
        v = (v < 0 ? 0 : v * 10) + (text.at(pos) - '0');
        ++pos;
    }
    return v;
}

} // namespace

bool KapHeader::fail(const QString &text)
{
    m_error = text;
    return false;
}

bool KapHeader::read(const QString &fileName)
{
    *this = KapHeader();
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("Cannot open %1: %2").arg(fileName, file.errorString()));
    return read(file);
}

bool KapHeader::read(QIODevice &device)
{
    m_width = m_height = 0;
    m_error.clear();
    QByteArray text = device.read(kHeaderLimit);
    const qsizetype end = text.indexOf('\x1A');
    if (end >= 0)
        text.truncate(end);

    // "RA=" as a field of its own: at the start of a line or after "/" or ",".
    qsizetype from = 0;
    while (true) {
        const qsizetype at = text.indexOf("RA=", from);
        if (at < 0)
            return fail(QStringLiteral("BSB chart header has no RA= field (the chart's pixel size)"));
        from = at + 3;
        if (at > 0 && isKeyChar(text.at(at - 1)))
            continue;
        qsizetype pos = at + 3;
        const qint64 w = numberAt(text, pos);
        while (pos < text.size() && text.at(pos) == ' ')
            ++pos;
        if (w < 0 || pos >= text.size() || text.at(pos) != ',')
            return fail(QStringLiteral("BSB chart header has an unreadable RA= field"));
        ++pos;
        const qint64 h = numberAt(text, pos);
        if (h < 0 || w == 0 || h == 0)
            return fail(QStringLiteral("BSB chart header has an unreadable RA= field"));
        m_width = quint64(w);
        m_height = quint64(h);
        return true;
    }
}
