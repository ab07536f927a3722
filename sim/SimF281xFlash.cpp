#include "sim/SimF281xFlash.h"

namespace nembra {

namespace {

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

// Device code n is device type n - 1.
uint32_t SimF281xFlash::RegionStart(uint8_t deviceCode) {
    return DeviceInfo(static_cast<DeviceType>(deviceCode - 1)).flashStart;
}

uint16_t SimF281xFlash::SectorsOf(uint8_t deviceCode) {
    return AllSectorsMask(static_cast<DeviceType>(deviceCode - 1));
}

uint16_t SimF281xFlash::Word(uint32_t address) const {
    if (address < kStart || address > kEnd) return 0xFFFF;
    return words_[address - kStart];
}

void SimF281xFlash::EraseSectors(uint16_t mask) {
    for (int index = 0; index < kFlashSectorCount; ++index) {
        if ((mask & (1u << index)) == 0) continue;
        const FlashSectorRange& sector = kFlashSectors[static_cast<size_t>(index)];
        for (uint32_t address = sector.first; address <= sector.last; ++address) {
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
