#include "image/ImageRules.h"

#include <algorithm>
#include <cstdio>
#include <numeric>

#include "image/DeviceMemory.h"

namespace nembra {
namespace {

// One past a section's last word; 64-bit, as a crafted count can run past 2^32.
uint64_t EndOf(const ImageSection& section) { return uint64_t{section.address} + section.wordCount; }

// The edge of flash a section runs across, if it holds flash words and others.
bool CrossedFlashEdge(const ImageSection& section, DeviceType deviceType, uint64_t& edge) {
    if (!IsF281x(deviceType)) return false;
    const DeviceEntry& device = DeviceInfo(deviceType);
    const uint64_t start = section.address;
    const uint64_t end = EndOf(section);
    const bool touchesFlash = start <= device.flashEnd && end > device.flashStart;
    const bool withinFlash = start >= device.flashStart && end <= uint64_t{device.flashEnd} + 1;
    if (!touchesFlash || withinFlash) return false;
    edge = start < device.flashStart ? device.flashStart : uint64_t{device.flashEnd} + 1;
    return true;
}

// The first word of a section outside the device's blocks, walking from block
// to block, so a section may run on into an adjacent block.
bool FirstWordOutside(const ImageSection& section, DeviceType deviceType, uint64_t& outside) {
    const auto blocks = DeviceMemory(deviceType);
    uint64_t at = section.address;
    const uint64_t end = EndOf(section);
    while (at < end) {
        const auto block = std::find_if(blocks.begin(), blocks.end(),
                                        [at](const MemoryBlock& b) { return at >= b.first && at <= b.last; });
        if (block == blocks.end()) {
            outside = at;
            return true;
        }
        at = uint64_t{block->last} + 1;
    }
    return false;
}

RuleBreak CheckMemory(const std::vector<ImageSection>& sections, DeviceType deviceType) {
    for (size_t i = 0; i < sections.size(); ++i) {
        if (sections[i].wordCount == 0) continue;
        uint64_t address = 0;
        if (CrossedFlashEdge(sections[i], deviceType, address)) return {ImageRule::CrossesFlashEdge, i, i, address};
        if (FirstWordOutside(sections[i], deviceType, address)) return {ImageRule::OutsideMemory, i, i, address};
    }
    return {};
}

// Sorted by start, an overlap shows as a section that starts before the
// furthest end seen so far.
RuleBreak CheckOverlaps(const std::vector<ImageSection>& sections) {
    std::vector<size_t> order(sections.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::sort(order.begin(), order.end(), [&sections](size_t a, size_t b) {
        return sections[a].address != sections[b].address ? sections[a].address < sections[b].address : a < b;
    });
    bool any = false;
    size_t furthest = 0;
    for (size_t index : order) {
        const ImageSection& section = sections[index];
        if (section.wordCount == 0) continue;
        if (any && section.address < EndOf(sections[furthest])) {
            const size_t first = std::min(furthest, index);
            const size_t second = std::max(furthest, index);
            return {ImageRule::Overlap, first, second, section.address};
        }
        if (!any || EndOf(section) > EndOf(sections[furthest])) furthest = index;
        any = true;
    }
    return {};
}

// A name as one line of printable ASCII; other bytes show as '?'.
std::string Printable(const std::string& name) {
    std::string shown = name;
    for (char& c : shown)
        if (c < 0x20 || c > 0x7E) c = '?';
    return shown;
}

std::string Span(const ImageSection& section) {
    char text[48];
    std::snprintf(text, sizeof text, "0x%06llX-0x%06llX", static_cast<unsigned long long>(section.address),
                  static_cast<unsigned long long>(EndOf(section) - 1));
    return Printable(section.name) + " (" + text + ")";
}

std::string Hex(uint64_t address) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%06llX", static_cast<unsigned long long>(address));
    return text;
}

}  // namespace

RuleBreak CheckImageRules(const std::vector<ImageSection>& sections, DeviceType deviceType) {
    if (RuleBreak broken = CheckMemory(sections, deviceType); broken.rule != ImageRule::None) return broken;
    return CheckOverlaps(sections);
}

std::string RuleBreakMessage(const RuleBreak& broken, const std::vector<ImageSection>& sections,
                             DeviceType deviceType) {
    const std::string device(DeviceShortName(deviceType));
    const std::string at = " at " + Hex(broken.address);
    switch (broken.rule) {
        case ImageRule::None: return {};
        case ImageRule::Overlap:
            return "The specified file has overlapping sections: " + Span(sections[broken.section]) + " and " +
                   Span(sections[broken.other]) + at;
        case ImageRule::OutsideMemory:
            return "The specified file has a section outside " + device + " memory: " + Span(sections[broken.section]) +
                   at;
        case ImageRule::CrossesFlashEdge:
            return "The specified file has a section crossing the edge of " + device +
                   " flash: " + Span(sections[broken.section]) + at;
    }
    return {};
}

}  // namespace nembra
