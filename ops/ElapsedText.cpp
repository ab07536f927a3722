#include <cstdio>

#include "ops/Operations.h"

namespace nembra {

std::string ElapsedText(bool startOk, uint32_t startMs, bool endOk, uint32_t endMs) {
    if (!startOk || !endOk) return "";
    // Unsigned difference: a wrap of the 32-bit counter between the reads
    // still gives the true duration.
    const uint32_t elapsedMs = endMs - startMs;
    char text[32];
    std::snprintf(text, sizeof text, "%.2f sec", static_cast<double>(elapsedMs) * 0.001);
    return text;
}

}  // namespace nembra
