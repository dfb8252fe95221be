// libFuzzer entry for the image header reader; the checks live in FuzzChecks.h.
#include "fuzz/FuzzChecks.h"
#include "fuzz/FuzzEntry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString scratch = FuzzEntry::scratchFile("image.bin");
    return FuzzEntry::run(data, size, [](const QByteArray &bytes) { return FuzzChecks::checkImageInfo(bytes, scratch); });
}
