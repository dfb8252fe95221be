// libFuzzer entry for the sheet name operations and sheet geometry; the checks live in FuzzChecks.h.
// Every input gets the quick checks, one in 64 (by a hash of its bytes) the thorough ones.
#include "fuzz/FuzzChecks.h"
#include "fuzz/FuzzEntry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return FuzzEntry::run(data, size, [](const QByteArray &bytes) { return FuzzChecks::checkSheet(bytes, FuzzEntry::sampled(bytes)); });
}
