// What every reader promises once the rules have taken its sections: a
// refusal is one message line; a kept image lies inside the store, back to
// back, its flash totals add up, and an image the device rules pass lies in
// the device's memory.
#pragma once
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "image/ImageRules.h"
#include "image/LoadFault.h"
#include "image/ProgramLoad.h"

namespace nembra::fuzz {

inline void CheckMessage(const std::string& message) {
    if (message.empty() || message.find('\n') != std::string::npos) std::abort();
}

inline void CheckImage(const ProgramImage& image, DeviceType type) {
    uint64_t offset = 0;
    for (const auto& section : image.sections) {
        if (section.wordCount == 0 || section.storeOffset != offset) std::abort();
        offset += 2 * uint64_t{section.wordCount};
        if (!IsF281x(type) && (section.inFlash || section.sectorMask)) std::abort();
    }
    if (offset > kImageStoreBytes || offset != image.totalBytes) std::abort();
    if (image.sections.size() > 0xFFFF) std::abort();
}

inline void CheckSummary(const ProgramImage& image, DeviceType type) {
    if (!IsF281x(type)) return;
    const auto& sum = image.flashSummary;
    if (sum.flashBytes + sum.nonFlashBytes != image.totalBytes) std::abort();
    if (sum.flashSectionCount + sum.nonFlashSectionCount != image.sectionCount()) std::abort();
}

// No device has memory at or above 0x400000 words; the LF240xA has 16 bits.
inline bool CheckRules(const ProgramImage& image, DeviceType type) {
    const RuleBreak broken = CheckImageRules(image.sections, type);
    if (broken.rule != ImageRule::None) {
        CheckMessage(RuleBreakMessage(broken, image.sections, type));
        return false;
    }
    const uint64_t top = IsF281x(type) ? 0x400000 : 0x10000;
    for (const auto& section : image.sections)
        if (uint64_t{section.address} + section.wordCount > top) std::abort();
    return true;
}

// The bytes through one format's reader and the rules, for an LF240xA and
// two F281x device types, in one image that lives for the whole run.
inline void ReadAndCheck(std::span<const uint8_t> bytes, ProgramFormat format) {
    static ProgramImage image;
    for (DeviceType type : {DeviceType{1}, DeviceType{2}, DeviceType{4}}) {
        const LoadFault fault = ReadProgramBytes(bytes, FormatFor(format), type, image);
        if (!fault.ok()) {
            CheckMessage(LoadFaultMessage(fault, image.sections, type));
            continue;
        }
        CheckImage(image, type);
        if (!CheckRules(image, type)) continue;
        ComputeFlashSummary(image, type);
        CheckSummary(image, type);
    }
}

}  // namespace nembra::fuzz
