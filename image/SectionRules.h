#pragma once
#include "image/DeviceTypes.h"
#include "image/SectionSink.h"

namespace nembra {

// The F281x code-security password words: an image never holds them (the
// keys come from the key fields).
inline constexpr uint32_t kPasswordFirst = 0x3F7FF8;
inline constexpr uint32_t kPasswordLast = 0x3F7FFF;

// Which of the sections a reader found the image leaves out, the same for
// every format: ".stack"; for the LF240xA family a section on a memory page
// other than 0; for the F281x family the password section "CsmPwlFile" and
// the debug sections ".debug_frame", ".debug_abbrev", ".debug_info",
// ".debug_line", and, in a format without section names, the password words
// by their address (its reader ends its runs at their edges).
bool IsDroppedSection(const FoundSection& section, DeviceType deviceType, bool namesSections);

}  // namespace nembra
