// libFuzzer entry for the image header reader; the checks live in FuzzChecks.h.
// Every input gets the quick checks, one in 64 (by a hash of its bytes) the thorough ones.
#include "fuzz/FuzzChecks.h"
#include "fuzz/FuzzEntry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString scratch = FuzzEntry::scratchFile("image.bin");
    return FuzzEntry::run(data, size, [](const QByteArray &bytes) { return FuzzChecks::checkImageInfo(bytes, scratch, FuzzEntry::sampled(bytes)); });
}
