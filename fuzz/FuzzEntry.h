#pragma once

// What every libFuzzer entry of ours does around its check: the input as
// bytes, and a failed check reported and turned into a crash libFuzzer keeps.

#include <QByteArray>
#include <QDir>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace FuzzEntry {

// One scratch file per process (named with `suffix`), in memory where the
// system has such a folder.
inline QString scratchFile(const char *suffix)
{
    const QString folder = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    return QStringLiteral("%1/quillmark-fuzz-%2-%3").arg(folder).arg(::getpid()).arg(QLatin1String(suffix));
}

// Whether the input gets the thorough checks as well: 1 in `every` inputs,
// chosen by a hash of the bytes (FNV-1a), so the same input always gets the
// same checks and a kept failure replays as it was found.
inline bool sampled(const QByteArray &bytes, unsigned every = 64)
{
    quint64 h = 14695981039346656037ULL;
    for (const char c : bytes) {
        h ^= quint8(c);
        h *= 1099511628211ULL;
    }
    return h % every == 0;
}

// Runs `check` on the input; a non-empty result is a failure.
template <class Check>
int run(const uint8_t *data, size_t size, Check check)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString failure = check(bytes);
    if (!failure.isEmpty()) {
        std::fprintf(stderr, "check failed: %s\n", failure.toLocal8Bit().constData());
        std::abort();
    }
    return 0;
}

} // namespace FuzzEntry
