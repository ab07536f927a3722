#include "sim/SimF281xFlash.h"

#include <array>

namespace nembra {

namespace {

struct SectorRange {
    uint32_t first;
    uint32_t last;
};

// Sector index n is mask bit n; index 0 (A) is at the top of flash.
constexpr std::array<SectorRange, SimF281xFlash::kSectorCount> kSectors{{
    {0x3F6000, 0x3F7FFF}, {0x3F4000, 0x3F5FFF}, {0x3F0000, 0x3F3FFF}, {0x3EC000, 0x3EFFFF},
    {0x3E8000, 0x3EBFFF}, {0x3E4000, 0x3E7FFF}, {0x3E0000, 0x3E3FFF}, {0x3DC000, 0x3DFFFF},
    {0x3DA000, 0x3DBFFF}, {0x3D8000, 0x3D9FFF},
}};

constexpr uint32_t kPasswordStart = 0x3F7FF8;

// What a board fresh from an earlier project holds: no word erased, the
// password words blank so that the device is not secured.
uint16_t OldContent(uint32_t address) {
    if (address >= kPasswordStart) return 0xFFFF;
    const uint32_t mixed = (address * 0x9E3779B1u) >> 13;
    return static_cast<uint16_t>((mixed & 0x7F7F) ^ 0x1248);
}

}  // namespace

SimF281xFlash::SimF281xFlash() : words_(kEnd - kStart + 1), erased_(words_.size(), false) {
    for (uint32_t address = kStart; address <= kEnd; ++address) words_[address - kStart] = OldContent(address);
}

uint32_t SimF281xFlash::RegionStart(uint8_t deviceCode) { return deviceCode == 3 ? 0x3E8000 : kStart; }

uint16_t SimF281xFlash::SectorsOf(uint8_t deviceCode) { return deviceCode == 3 ? 0x001F : 0x03FF; }

uint16_t SimF281xFlash::Word(uint32_t address) const {
    if (address < kStart || address > kEnd) return 0xFFFF;
    return words_[address - kStart];
}

void SimF281xFlash::EraseSectors(uint16_t mask) {
    for (int index = 0; index < kSectorCount; ++index) {
        if ((mask & (1u << index)) == 0) continue;
        for (uint32_t address = kSectors[index].first; address <= kSectors[index].last; ++address) {
            words_[address - kStart] = 0xFFFF;
            erased_[address - kStart] = true;
        }
    }
}

bool SimF281xFlash::ErasedSinceBoot(uint32_t address, uint32_t count) const {
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t at = address + i;
        if (at < kStart || at > kEnd || !erased_[at - kStart]) return false;
    }
    return true;
}

void SimF281xFlash::ForgetErases() { erased_.assign(erased_.size(), false); }

void SimF281xFlash::Program(uint32_t address, uint16_t data) {
    if (address < kStart || address > kEnd) return;
    words_[address - kStart] &= data;
}

CsmKeyTable SimF281xFlash::Password() const {
    CsmKeyTable keys{};
    for (uint32_t i = 0; i < keys.size(); ++i) keys[i] = Word(kPasswordStart + i);
    return keys;
}

}  // namespace nembra
