#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "image/DeviceTypes.h"
#include "image/ProgramImage.h"

namespace nembra {

// The checks every loaded image passes before any pod sees it, whatever
// reader made its sections.
enum class ImageRule {
    None,
    // Two sections give words for the same address.
    Overlap,
    // A word lies where the device has no memory the pod can write.
    OutsideMemory,
    // A section holds both flash words and words of other memory.
    CrossesFlashEdge,
};

// The first rule an image breaks: the section(s) by index and the address
// where it shows (the first shared word, the first word outside memory, the
// edge of flash).
struct RuleBreak {
    ImageRule rule = ImageRule::None;
    size_t section = 0;
    size_t other = 0;  // the second section of an overlap
    uint64_t address = 0;
};

// Checks the kept sections (name, word address, word count) against the
// device: each section first for its memory, in order, then all of them for
// overlaps. Costs n log n in the number of sections.
RuleBreak CheckImageRules(const std::vector<ImageSection>& sections, DeviceType deviceType);

// One message line naming the rule, the section(s) and the address.
std::string RuleBreakMessage(const RuleBreak& broken, const std::vector<ImageSection>& sections, DeviceType deviceType);

}  // namespace nembra
