// Feeds arbitrary text to the Intel HEX parser and checks what a successful
// parse promises: runs in rising address order, none empty, none touching or
// overlapping the next, within the word limit it was given. Then the same
// bytes go through the HEX reader and the rules (see ImageChecks.h).
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string_view>

#include "fuzz/ImageChecks.h"
#include "image/IntelHex.h"

namespace {

void CheckParse(std::string_view text) {
    constexpr uint64_t kLimit = 0x10000;
    const nembra::HexParse parsed = nembra::ParseIntelHex(text, kLimit);
    if (parsed.problem != nembra::HexProblem::None) {
        if (!parsed.runs.empty()) std::abort();
        return;
    }
    uint64_t words = 0;
    for (size_t i = 0; i < parsed.runs.size(); ++i) {
        const nembra::HexRun& run = parsed.runs[i];
        if (run.words.empty()) std::abort();
        if (i > 0 && parsed.runs[i - 1].end() >= run.address) std::abort();
        words += run.words.size();
    }
    if (words > kLimit) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CheckParse(std::string_view(reinterpret_cast<const char*>(data), size));
    nembra::fuzz::ReadAndCheck(std::span<const uint8_t>(data, size), nembra::ProgramFormat::IntelHex);
    return 0;
}
