// Feeds arbitrary text to the Intel HEX reader and checks what a successful
// parse promises: runs in rising address order, none empty, none touching or
// overlapping the next, within the word limit it was given.
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "image/IntelHex.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    constexpr uint64_t kLimit = 0x10000;
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    const nembra::HexParse parsed = nembra::ParseIntelHex(in, kLimit);
    if (parsed.problem != nembra::HexProblem::None) {
        if (!parsed.runs.empty()) std::abort();
        return 0;
    }
    uint64_t words = 0;
    for (size_t i = 0; i < parsed.runs.size(); ++i) {
        const nembra::HexRun& run = parsed.runs[i];
        if (run.words.empty()) std::abort();
        if (i > 0 && parsed.runs[i - 1].end() >= run.address) std::abort();
        words += run.words.size();
    }
    if (words > kLimit) std::abort();
    return 0;
}
