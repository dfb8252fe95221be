#include "fileio/Windows1251.h"

namespace {

// Characters of the bytes 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F (А..я).
constexpr char16_t kHigh[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F, // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, // 98 (0x98 undefined: kept as U+0098)
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, // B8
};

inline char16_t charOf(unsigned char b)
{
    if (b < 0x80)
        return b;
    if (b >= 0xC0)
        return char16_t(0x0410 + (b - 0xC0));
    return kHigh[b - 0x80];
}

} // namespace

QString Windows1251::decode(const char *data, qsizetype size)
{
    QString text(size, Qt::Uninitialized);
    QChar *out = text.data();
    const auto *in = reinterpret_cast<const unsigned char *>(data);
    for (qsizetype i = 0; i < size; ++i)
        out[i] = QChar(charOf(in[i]));
    return text;
}

int Windows1251::byteOf(char16_t ch)
{
    if (ch < 0x80)
        return ch;
    if (ch >= 0x0410 && ch <= 0x044F)
        return 0xC0 + (ch - 0x0410);
    for (int i = 0; i < 64; ++i) {
        if (kHigh[i] == ch)
            return 0x80 + i;
    }
    return -1;
}

qsizetype Windows1251::encode(const QString &text, QByteArray &out)
{
    const qsizetype n = text.size();
    const QChar *in = text.constData();
    const qsizetype base = out.size();
    out.resize(base + n);
    char *dest = out.data() + base;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t ch = in[i].unicode();
        const int b = ch < 0x80 ? int(ch) : byteOf(ch);
        if (b < 0) {
            out.truncate(base + i);
            return i;
        }
        dest[i] = char(b);
    }
    return -1;
}
