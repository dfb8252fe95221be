#include "mapfile/MapLineStore.h"

#include "fileio/Windows1251.h"
#include "mapfile/UpperKeyword.h"
#include "sheet/MapError.h"

#include <QCoreApplication>

void MapLineStore::clear()
{
    m_bytes.clear();
    m_readEnd = 0;
    m_index.clear();
    m_changed.clear();
}

void MapLineStore::reserve(qsizetype bytes, qsizetype lines)
{
    m_bytes.reserve(bytes);
    m_index.reserve(size_t(lines));
}

void MapLineStore::copyNew(const MapLineStore &other)
{
    m_eol = other.m_eol;
    m_bytes.reserve(4096); // a new map with its points and grid
    m_bytes.append(other.m_bytes);
    m_index.reserve(72);
    m_index = other.m_index;
    m_changed = other.m_changed;
}

void MapLineStore::split(const QString &text, int i, QString &title, QString &body)
{
    if (i < 7) {
        body = text;
        return;
    }
    const qsizetype comma = text.indexOf(u',');
    if (comma >= 0) {
        title = text.left(comma);
        body = text.mid(comma + 1);
    } else {
        body = text;
    }
}

void MapLineStore::check(int i) const
{
    if (i < 0 || i >= count())
        throw MapError(QCoreApplication::translate("MapFile", "Subscript out of range: line %1 of a map document of %2 lines").arg(i).arg(count()));
}

void MapLineStore::rawSpan(int i, qsizetype &begin, qsizetype &end, QByteArrayView &eol) const
{
    const char *data = m_bytes.constData();
    begin = qsizetype(m_index[size_t(i)]);
    // A last line read without a line end stops where the file stopped.
    const qsizetype limit = begin < m_readEnd ? m_readEnd : m_bytes.size();
    const void *found = std::memchr(data + begin, '\n', size_t(limit - begin));
    if (!found) {
        end = limit;
        eol = QByteArrayView();
        return;
    }
    end = static_cast<const char *>(found) - data;
    if (end > begin && data[end - 1] == '\r') {
        --end;
        eol = QByteArrayView("\r\n", 2);
    } else {
        eol = QByteArrayView("\n", 1);
    }
}

QString MapLineStore::title(int i, MapTextEncoding::Kind encoding) const
{
    check(i);
    const quint32 entry = m_index[size_t(i)];
    if (entry & kChanged)
        return m_changed[entry & ~kChanged].Title;
    if (i < 7)
        return QString();
    qsizetype begin = 0, end = 0;
    QByteArrayView eol;
    rawSpan(i, begin, end, eol);
    const char *data = m_bytes.constData() + begin;
    const void *comma = std::memchr(data, ',', size_t(end - begin));
    if (!comma)
        return QString();
    return MapTextEncoding::decode(data, static_cast<const char *>(comma) - data, encoding);
}

bool MapLineStore::titleIs(int i, QLatin1StringView key, bool folded, MapTextEncoding::Kind encoding) const
{
    check(i);
    const auto slow = [&] {
        const QString text = title(i, encoding);
        return folded ? text.compare(key, Qt::CaseInsensitive) == 0 : UpperKeyword::matches(text, key, false);
    };
    const quint32 entry = m_index[size_t(i)];
    if ((entry & kChanged) || i < 7)
        return slow();
    qsizetype begin = 0, end = 0;
    QByteArrayView eol;
    rawSpan(i, begin, end, eol);
    const char *data = m_bytes.constData() + begin;
    const void *comma = std::memchr(data, ',', size_t(end - begin));
    const qsizetype size = comma ? static_cast<const char *>(comma) - data : 0;
    for (qsizetype k = 0; k < size; ++k) {
        if (uchar(data[k]) >= 0x80)
            return slow();
    }
    if (size != key.size())
        return false;
    for (qsizetype k = 0; k < size; ++k) {
        char c = data[k];
        char d = key.at(k).toLatin1();
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
        if (d >= 'a' && d <= 'z')
            d = char(d - 'a' + 'A');
        if (c != d)
            return false;
    }
    return true;
}

MapLine MapLineStore::line(int i, MapTextEncoding::Kind encoding) const
{
    check(i);
    const quint32 entry = m_index[size_t(i)];
    if (entry & kChanged)
        return m_changed[entry & ~kChanged];
    qsizetype begin = 0, end = 0;
    QByteArrayView eol;
    rawSpan(i, begin, end, eol);
    MapLine line;
    line.raw = QByteArray(m_bytes.constData() + begin, end - begin);
    line.rawValid = true;
    line.eol = eol.toByteArray();
    split(MapTextEncoding::decode(line.raw, encoding), i, line.Title, line.Body);
    return line;
}

QString MapLineStore::text(int i, MapTextEncoding::Kind encoding) const
{
    const MapLine line = this->line(i, encoding);
    if (line.Title.isEmpty())
        return line.Body;
    if (line.Body.isEmpty())
        return line.Title;
    return line.Title + u',' + line.Body;
}

qint64 MapLineStore::appendRaw(const QString &title, const QString &body, int i, MapTextEncoding::Kind encoding)
{
    // Reading splits the first seven lines not at all and the others at
    // their first comma: only a line that reads back the same may be kept
    // as bytes.
    bool titleComma = false; // whether a comma is allowed in the title
    bool bodyComma = true;   // ... and in the body
    if (i < 7) {
        if (!title.isEmpty())
            return -1;
    } else if (title.isEmpty()) {
        bodyComma = false;
    } else if (body.isEmpty()) {
        return -1;
    }
    const qsizetype base = m_bytes.size();
    const qsizetype need = title.size() + (title.isEmpty() ? 0 : 1) + body.size() + m_eol.size();
    if (base >= qsizetype(kChanged) - need)
        return -1;
    if (encoding != MapTextEncoding::Windows1251) {
        // Other encodings go through the general encoder, with the same
        // checks as the Windows-1251 bytes below.
        QByteArray titleBytes, bodyBytes;
        bool ok = MapTextEncoding::encode(title, encoding, titleBytes) < 0
            && MapTextEncoding::encode(body, encoding, bodyBytes) < 0 && !titleBytes.contains('\n')
            && !bodyBytes.contains('\n') && (titleComma || !titleBytes.contains(','))
            && (bodyComma || !bodyBytes.contains(','));
        QByteArray text = titleBytes;
        if (!title.isEmpty())
            text += ',';
        text += bodyBytes;
        ok = ok && !text.endsWith('\r') && base < qsizetype(kChanged) - text.size() - m_eol.size();
        if (!ok)
            return -1;
        m_bytes.append(text);
        m_bytes.append(m_eol);
        return base;
    }
    m_bytes.resize(base + need);
    char *out = m_bytes.data() + base;
    // Windows-1251 bytes straight into place; false for a character the code
    // page lacks, a line break, or a comma where reading would split.
    const auto put = [&out](const QString &text, bool commaAllowed) {
        const char16_t *in = reinterpret_cast<const char16_t *>(text.constData());
        const char16_t *const stop = in + text.size();
        const char16_t comma = commaAllowed ? u'\n' : u','; // a comma that is allowed is no stop
        for (; in != stop; ++in) {
            const char16_t c = *in;
            if (c < 0x80) {
                if (c == u'\n' || c == comma)
                    return false;
                *out++ = char(c);
                continue;
            }
            const int b = Windows1251::byteOf(c);
            if (b < 0 || b == '\n' || (b == ',' && !commaAllowed))
                return false;
            *out++ = char(b);
        }
        return true;
    };
    bool ok = put(title, titleComma);
    if (ok && !title.isEmpty())
        *out++ = ',';
    ok = ok && put(body, bodyComma);
    // A carriage return at the end would read back as part of the line end.
    ok = ok && (out == m_bytes.constData() + base || out[-1] != '\r');
    if (!ok) {
        m_bytes.truncate(base);
        return -1;
    }
    std::memcpy(out, m_eol.constData(), size_t(m_eol.size()));
    return base;
}

void MapLineStore::setChanged(int i, MapLine line)
{
    quint32 &entry = m_index[size_t(i)];
    if (entry & kChanged) {
        m_changed[entry & ~kChanged] = std::move(line);
        return;
    }
    entry = kChanged | quint32(m_changed.size());
    m_changed.push_back(std::move(line));
}

QByteArray MapLineStore::toBytes(MapTextEncoding::Kind encoding) const
{
    QByteArray out;
    qsizetype total = m_bytes.size();
    for (const MapLine &line : m_changed)
        total += (line.rawValid ? line.raw.size() : line.Title.size() + line.Body.size() + 1) + 2;
    out.reserve(total);

    const qsizetype last = qsizetype(m_index.size()) - 1;
    // Unchanged lines that follow each other in m_bytes (with their line
    // ends) are copied in one go.
    qsizetype runBegin = 0, runEnd = 0;
    const auto flush = [&] {
        out.append(m_bytes.constData() + runBegin, runEnd - runBegin);
        runBegin = runEnd = 0;
    };
    for (qsizetype i = 0; i <= last; ++i) {
        const quint32 entry = m_index[size_t(i)];
        if (!(entry & kChanged)) {
            qsizetype begin = 0, end = 0;
            QByteArrayView eol;
            rawSpan(int(i), begin, end, eol);
            if (eol.isEmpty() && i != last) {
                // A last line without a line end gets one when it is no longer last.
                flush();
                out.append(m_bytes.constData() + begin, end - begin);
                out.append(m_eol);
                continue;
            }
            if (begin != runEnd || runBegin == runEnd) {
                flush();
                runBegin = begin;
            }
            runEnd = end + eol.size();
            continue;
        }
        flush();
        const MapLine &line = m_changed[entry & ~kChanged];
        if (line.rawValid) {
            out.append(line.raw);
            out.append(line.eol.isEmpty() && i != last ? m_eol : line.eol);
            continue;
        }
        const QString lineText = text(int(i), encoding);
        const qsizetype bad = MapTextEncoding::encode(lineText, encoding, out);
        if (bad >= 0) {
            const QChar ch = lineText.at(bad);
            throw MapError(QCoreApplication::translate("MapFile", "Line %1 of the map file holds the character \"%2\" (U+%3), which cannot be "
                                          "written in %4")
                               .arg(i)
                               .arg(ch)
                               .arg(ch.unicode(), 4, 16, QLatin1Char('0'))
                               .arg(encoding == MapTextEncoding::Utf8 ? QStringLiteral("UTF-8")
                                                                      : QCoreApplication::translate("MapFile", "the Windows-1251 code page")));
        }
        if (lineText.contains(u'\n'))
            throw MapError(QCoreApplication::translate("MapFile", "Line %1 of the map file holds a line break and cannot be written").arg(i));
        out.append(m_eol);
    }
    flush();
    return out;
}

quint32 MapLineStore::holdApart(QString title, QString body, qint16 tag)
{
    MapLine line;
    line.Title = std::move(title);
    line.Body = std::move(body);
    line.Tag = tag;
    line.eol = m_eol;
    const quint32 entry = kChanged | quint32(m_changed.size());
    m_changed.push_back(std::move(line));
    return entry;
}

void MapLineStore::add(QString title, QString body, qint16 tag, MapTextEncoding::Kind encoding)
{
    if (tag == -1) {
        const qint64 offset = appendRaw(title, body, count(), encoding);
        if (offset >= 0) {
            m_index.push_back(quint32(offset));
            return;
        }
    }
    m_index.push_back(holdApart(std::move(title), std::move(body), tag));
}

void MapLineStore::putNew(int i, QString title, QString body, MapTextEncoding::Kind encoding)
{
    const qint64 offset = appendRaw(title, body, i, encoding);
    if (offset >= 0) {
        m_index[size_t(i)] = quint32(offset);
        return;
    }
    m_index[size_t(i)] = holdApart(std::move(title), std::move(body), -1);
}

void MapLineStore::replace(int i, QString title, QString body, qint16 tag, MapTextEncoding::Kind encoding)
{
    quint32 &entry = m_index[size_t(i)];
    if (entry & kChanged) {
        MapLine &line = m_changed[entry & ~kChanged];
        line.Tag = tag;
        if (line.rawValid && line.Title == title && line.Body == body)
            return; // the same text: the line keeps its own bytes
        line.Title = std::move(title);
        line.Body = std::move(body);
        line.raw.clear();
        line.rawValid = false;
        line.eol = m_eol;
        return;
    }
    // A read line's body is its Title and Body, with the comma between them
    // unless one is empty: a body of another length is another body.
    qsizetype begin = 0, end = 0;
    QByteArrayView eol;
    rawSpan(i, begin, end, eol);
    const qsizetype newLength = title.size() + body.size() + (!title.isEmpty() && !body.isEmpty() ? 1 : 0);
    const bool maybeSame = newLength == end - begin || newLength == end - begin - 1;
    MapLine line = maybeSame ? this->line(i, encoding) : MapLine();
    if (maybeSame && line.Title == title && line.Body == body) {
        if (tag == -1)
            return; // the same body: the line keeps its own bytes
        line.Tag = tag;
        setChanged(i, std::move(line));
        return;
    }
    if (tag == -1) {
        const qint64 offset = appendRaw(title, body, i, encoding);
        if (offset >= 0) {
            m_index[size_t(i)] = quint32(offset);
            return;
        }
    }
    MapLine changed;
    changed.Title = std::move(title);
    changed.Body = std::move(body);
    changed.Tag = tag;
    changed.eol = m_eol;
    setChanged(i, std::move(changed));
}

