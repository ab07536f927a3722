#pragma once
#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "image/IntelHex.h"
#include "image/ProgramImage.h"
#include "sim/SimPod.h"

namespace nembra::testing {

struct SectorRange {
    uint32_t first;
    uint32_t last;
};

// TI's F281x flash sectors A..J by index.
inline constexpr std::array<SectorRange, 10> kSectors{{
    {0x3F6000, 0x3F7FFF},
    {0x3F4000, 0x3F5FFF},
    {0x3F0000, 0x3F3FFF},
    {0x3EC000, 0x3EFFFF},
    {0x3E8000, 0x3EBFFF},
    {0x3E4000, 0x3E7FFF},
    {0x3E0000, 0x3E3FFF},
    {0x3DC000, 0x3DFFFF},
    {0x3DA000, 0x3DBFFF},
    {0x3D8000, 0x3D9FFF},
}};

// The words of the image's flash sections by address.
inline WordMap FlashWords(const ProgramImage& image) {
    WordMap words;
    for (const ImageSection& section : image.sections)
        if (section.inFlash)
            for (uint32_t i = 0; i < section.wordCount; ++i) words[section.address + i] = image.DataWord(section, i);
    return words;
}

// Every image word is in the target's flash, and every other word of the
// erased sectors reads 0xFFFF.
inline void ExpectFlashHolds(const SimPod& pod, const WordMap& words, uint16_t erasedMask) {
    int mismatches = 0;
    for (const auto& [address, value] : words)
        if (pod.TargetFlashWord(address) != value && ++mismatches <= 5)
            ADD_FAILURE() << std::hex << "flash word at 0x" << address << " is 0x" << pod.TargetFlashWord(address)
                          << ", expected 0x" << value;
    for (size_t b = 0; b < kSectors.size(); ++b) {
        if ((erasedMask & (1u << b)) == 0) continue;
        for (uint32_t address = kSectors[b].first; address <= kSectors[b].last; ++address)
            if (!words.count(address) && pod.TargetFlashWord(address) != 0xFFFF && ++mismatches <= 5)
                ADD_FAILURE() << std::hex << "erased word at 0x" << address << " is 0x" << pod.TargetFlashWord(address);
    }
    EXPECT_EQ(mismatches, 0);
}

}  // namespace nembra::testing
