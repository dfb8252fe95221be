// libFuzzer entry for the DC-only JPEG decoder; the checks live in FuzzJpegChecks.h.
// Every input gets the quick checks, one in 64 (by a hash of its bytes) the thorough ones.
#include "fuzz/FuzzEntry.h"
#include "fuzz/FuzzJpegChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return FuzzEntry::run(data, size, [](const QByteArray &bytes) { return FuzzChecks::checkJpegDc(bytes, FuzzEntry::sampled(bytes)); });
}
