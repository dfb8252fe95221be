// libFuzzer entry for the image header reader; the checks live in FuzzChecks.h.
#include "fuzz/FuzzChecks.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <QDir>
#include <QString>
#include <unistd.h>

namespace {
// One scratch file per process, in memory where the system has such a folder.
QString scratchFile()
{
    static const QString path = QStringLiteral("%1/quillmark-fuzz-image-%2.bin")
        .arg(QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath())
        .arg(::getpid());
    return path;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString failure = FuzzChecks::checkImageInfo(bytes, scratchFile());
    if (!failure.isEmpty()) {
        std::fprintf(stderr, "check failed: %s\n", failure.toLocal8Bit().constData());
        std::abort();
    }
    return 0;
}
