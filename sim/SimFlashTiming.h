#pragma once
#include <cstdint>

#include "sim/SimPod.h"

namespace nembra {

// How long the flash algorithm in the target works on a command: an erase
// takes each sector's own time (8K- and 16K-word sectors differ), a block
// takes its words' programming time.
uint32_t EraseWorkMs(const SimTiming& timing, uint16_t sectorMask);
uint64_t ProgramWorkUs(const SimTiming& timing, uint32_t words);

}  // namespace nembra
