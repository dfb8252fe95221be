#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

// Smallest image files whose headers carry a chosen pixel size, for tests that
// need sheet images without decoding them.
namespace SheetImages {

inline QByteArray be16(int v)
{
    QByteArray b;
    b.append(char((v >> 8) & 0xFF));
    b.append(char(v & 0xFF));
    return b;
}

inline QByteArray be32(quint32 v)
{
    return be16(int(v >> 16)) + be16(int(v & 0xFFFF));
}

// JFIF start, APP0, then a baseline frame header (three components).
inline QByteArray jpeg(int width, int height)
{
    QByteArray b = QByteArray::fromHex("FFD8FFE000104A46494600010100000100010000");
    b += QByteArray::fromHex("FFC00011") + QByteArray(1, char(8)) + be16(height) + be16(width);
    b += QByteArray::fromHex("03012200021101031101FFD9");
    return b;
}

// Signature and IHDR chunk (truecolour, 8 bits); the CRC is not checked by readers of sizes.
inline QByteArray png(quint32 width, quint32 height)
{
    QByteArray b = QByteArray::fromHex("89504E470D0A1A0A0000000D49484452");
    b += be32(width) + be32(height);
    b += QByteArray::fromHex("0802000000") + QByteArray(4, '\0');
    return b;
}

inline QByteArray gif(int width, int height)
{
    QByteArray b("GIF89a");
    b.append(char(width & 0xFF)).append(char(width >> 8));
    b.append(char(height & 0xFF)).append(char(height >> 8));
    b.append(char(0xF7)).append('\0').append('\0');
    return b;
}

inline QByteArray bmp(int width, int height)
{
    QByteArray b(54, '\0');
    b[0] = 'B';
    b[1] = 'M';
    b[14] = 40;
    b[18] = char(width & 0xFF);
    b[19] = char(width >> 8);
    b[22] = char(height & 0xFF);
    b[23] = char(height >> 8);
    b[26] = 1;
    b[28] = 24;
    return b;
}

inline bool write(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(bytes) == bytes.size();
}

inline QByteArray read(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

// Whether the process can write into a folder whose write permission is off
// (root ignores permissions, so such tests cannot run as root).
inline bool permissionsApply(const QString &scratch)
{
    const QString dir = scratch + QStringLiteral("/probe-ro");
    QDir().mkpath(dir);
    QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    QFile probe(dir + QStringLiteral("/x"));
    const bool wrote = probe.open(QIODevice::WriteOnly);
    probe.close();
    QFile::remove(dir + QStringLiteral("/x"));
    QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QDir(dir).removeRecursively();
    return !wrote;
}

} // namespace SheetImages
