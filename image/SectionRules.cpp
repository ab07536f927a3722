#include "image/SectionRules.h"

#include <array>
#include <string_view>

namespace nembra {
namespace {

constexpr std::array<std::string_view, 5> kF281xDroppedNames{"CsmPwlFile", ".debug_frame", ".debug_abbrev",
                                                             ".debug_info", ".debug_line"};

bool IsPasswordBlock(const FoundSection& section) {
    return section.address >= kPasswordFirst && uint64_t{section.address} + section.wordCount <= kPasswordLast + 1;
}

}  // namespace

bool IsDroppedSection(const FoundSection& section, DeviceType deviceType, bool namesSections) {
    if (section.name == ".stack") return true;
    if (!IsF281x(deviceType)) return section.page != 0;
    if (!namesSections) return IsPasswordBlock(section);
    for (std::string_view dropped : kF281xDroppedNames)
        if (section.name == dropped) return true;
    return false;
}

}  // namespace nembra
