#pragma once

#include "mapfile/MapLine.h"
#include "mapfile/MapTextEncoding.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QLatin1StringView>
#include <QString>

#include <cstring>
#include <utility>
#include <vector>

// The lines of a map document, held compactly: the bytes read from the file
// (and the bytes of lines added later that read back the same) plus, per
// line, one 32-bit entry: the offset of its bytes, or kChanged with the index
// of a line held apart (a line whose text the program changed, or that
// carries a tag). A line kept as bytes is written back byte for byte, with
// its own line end.
//
// A line's text splits as reading splits it: the first seven lines are all
// Body, the others split at their first comma into Title and Body. The
// encoding of the bytes is the document's, given to every call that decodes
// or encodes. A line index outside the store throws MapError.
class MapLineStore
{
public:
    int count() const { return int(m_index.size()); }
    // The line end of new and changed lines.
    const QByteArray &eol() const { return m_eol; }
    void setEol(const QByteArray &eol) { m_eol = eol; }
    // Forgets every line; the line end stays.
    void clear();
    void reserve(qsizetype bytes, qsizetype lines);
    // The lines of `other`, with room for the lines a new map gets.
    void copyNew(const MapLineStore &other);

    // Whether a file of `size` bytes can be held (offsets have 31 bits).
    static bool holds(qsizetype size) { return size < qsizetype(kChanged); }
    // Takes `bytes` (that it holds) as the lines; the line end becomes the
    // file's first one. Each line's Title and Body go through
    // parse(title, body, index) before the next line is taken, when the
    // lines before it are in the store already; a line whose text the
    // parser changes is held apart.
    template <class Parse>
    void read(const QByteArray &bytes, MapTextEncoding::Kind encoding, Parse &&parse);

    void check(int i) const;
    MapLine line(int i, MapTextEncoding::Kind encoding) const;
    QString title(int i, MapTextEncoding::Kind encoding) const;
    bool titleIs(int i, QLatin1StringView key, bool folded, MapTextEncoding::Kind encoding) const;
    QString text(int i, MapTextEncoding::Kind encoding) const;
    // Every line with its line end; throws MapError for a line the encoding
    // cannot hold or that holds a line break.
    QByteArray toBytes(MapTextEncoding::Kind encoding) const;

    // A new last line: kept as bytes when it has no tag (-1) and reads back the same.
    void add(QString title, QString body, qint16 tag, MapTextEncoding::Kind encoding);
    // Line i, an untagged line of a new map, anew.
    void putNew(int i, QString title, QString body, MapTextEncoding::Kind encoding);
    // Line i with a new text and tag; a line whose text stays keeps its bytes.
    void replace(int i, QString title, QString body, qint16 tag, MapTextEncoding::Kind encoding);

    // A line's text split as reading splits it.
    static void split(const QString &text, int i, QString &title, QString &body);

private:
    static constexpr quint32 kChanged = 0x80000000u;

    // Where the bytes of a line kept as bytes are: [begin, end) and its line end.
    void rawSpan(int i, qsizetype &begin, qsizetype &end, QByteArrayView &eol) const;
    // Appends a line's bytes when reading them back at line `i` gives the
    // same Title and Body; returns their offset, or -1.
    qint64 appendRaw(const QString &title, const QString &body, int i, MapTextEncoding::Kind encoding);
    // The entry of a line held apart, the next one.
    quint32 holdApart(QString title, QString body, qint16 tag);
    void setChanged(int i, MapLine line);

    QByteArray m_bytes;
    qsizetype m_readEnd = 0; // m_bytes[0, m_readEnd) came from the file
    std::vector<quint32> m_index;
    std::vector<MapLine> m_changed;
    QByteArray m_eol = "\r\n";
};

template <class Parse>
void MapLineStore::read(const QByteArray &bytes, MapTextEncoding::Kind encoding, Parse &&parse)
{
    m_bytes = bytes;
    m_readEnd = bytes.size();
    const char *data = m_bytes.constData();
    const qsizetype size = m_bytes.size();
    m_index.reserve(size_t(m_bytes.count('\n')) + 1);
    bool eolSeen = false;
    qsizetype start = 0;
    while (start < size) {
        const void *found = std::memchr(data + start, '\n', size_t(size - start));
        qsizetype end = found ? static_cast<const char *>(found) - data : size;
        if (found && !eolSeen) {
            m_eol = end > start && data[end - 1] == '\r' ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
            eolSeen = true;
        }
        if (found && end > start && data[end - 1] == '\r')
            --end;
        const int idx = int(m_index.size());
        QString title;
        QString body;
        split(MapTextEncoding::decode(data + start, end - start, encoding), idx, title, body);
        QString parsedTitle = title;
        QString parsedBody = body;
        parse(parsedTitle, parsedBody, idx);
        if (parsedTitle == title && parsedBody == body) {
            m_index.push_back(quint32(start));
        } else {
            m_index.push_back(holdApart(std::move(parsedTitle), std::move(parsedBody), -1));
        }
        start = found ? static_cast<const char *>(found) - data + 1 : size;
    }
}
