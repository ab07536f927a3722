#pragma once
#include <cstdint>
#include <set>

#include "image/IntelHex.h"
#include "image/ProgramImage.h"

namespace nembra {

// Every word of every section by its target address; where sections overlap,
// the later one in the list wins, as it would in the target's memory.
WordMap ImageWords(const ProgramImage& image);

// The first address of every section, for WriteIntelHex's record starts.
std::set<uint32_t> SectionStarts(const ProgramImage& image);

}  // namespace nembra
