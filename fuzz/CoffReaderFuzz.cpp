// Feeds arbitrary bytes straight to the COFF reader and the rules that take
// its sections into the image; see ImageChecks.h for what is checked.
#include <cstdint>
#include <span>

#include "fuzz/ImageChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    nembra::fuzz::ReadAndCheck(std::span<const uint8_t>(data, size), nembra::ProgramFormat::Coff);
    return 0;
}
