#include "mapfile/MapTextEncoding.h"

#include "fileio/Windows1251.h"

namespace {

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool validUtf8(const QByteArray &bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const unsigned c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        int extra = 0;
        unsigned min = 0;
        unsigned cp = 0;
        if ((c & 0xE0) == 0xC0) {
            extra = 1;
            min = 0x80;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            min = 0x800;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
            min = 0x10000;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + extra >= n)
            return false;
        for (int k = 1; k <= extra; ++k) {
            const unsigned d = p[i + k];
            if ((d & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (d & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

} // namespace

bool MapTextEncoding::hasNonAscii(const QByteArray &bytes)
{
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return true;
    }
    return false;
}

MapTextEncoding::Kind MapTextEncoding::detect(const QByteArray &bytes)
{
    return hasNonAscii(bytes) && validUtf8(bytes) ? Utf8 : Windows1251;
}

QString MapTextEncoding::decode(const QByteArray &bytes, Kind kind)
{
    return decode(bytes.constData(), bytes.size(), kind);
}

QString MapTextEncoding::decode(const char *data, qsizetype size, Kind kind)
{
    return kind == Utf8 ? QString::fromUtf8(data, size) : Windows1251::decode(data, size);
}

qsizetype MapTextEncoding::encode(const QString &text, Kind kind, QByteArray &out)
{
    if (kind == Windows1251)
        return Windows1251::encode(text, out);
    // A lone surrogate has no UTF-8 form.
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        if (ch.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            ++i;
            continue;
        }
        if (ch.isSurrogate()) {
            out.append(text.left(i).toUtf8());
            return i;
        }
    }
    out.append(text.toUtf8());
    return -1;
}

QString MapTextEncoding::name(Kind kind)
{
    return kind == Utf8 ? QStringLiteral("utf-8") : QStringLiteral("windows-1251");
}

bool MapTextEncoding::fromName(const QString &text, Kind &kind)
{
    const QString t = text.trimmed().toLower();
    if (t == QLatin1String("utf-8") || t == QLatin1String("utf8")) {
        kind = Utf8;
        return true;
    }
    if (t == QLatin1String("windows-1251") || t == QLatin1String("cp1251")) {
        kind = Windows1251;
        return true;
    }
    return false;
}
