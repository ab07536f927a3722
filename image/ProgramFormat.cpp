#include "image/ProgramFormat.h"

#include <array>

namespace nembra {
namespace {

LoadFault ElfFamilyMismatch() {
    LoadFault fault{CoffResult::ElfRefused};
    fault.elf = ElfFault::WrongFamily;
    return fault;
}

const std::array<FormatEntry, 3> kFormats{{
    {ProgramFormat::Coff, ReadCoffProgram, true, {CoffResult::DeviceMismatch}, CoffResult::TooManySections},
    {ProgramFormat::Elf, ReadElfProgram, true, ElfFamilyMismatch(), CoffResult::TooManySections},
    {ProgramFormat::IntelHex, ReadHexProgram, false, {CoffResult::DeviceMismatch}, CoffResult::HexTooManyRuns},
}};

}  // namespace

ProgramFormat ProgramFormatOf(std::span<const uint8_t> head) {
    if (head.size() >= 4 && head[0] == 0x7F && head[1] == 'E' && head[2] == 'L' && head[3] == 'F')
        return ProgramFormat::Elf;
    // COFF files begin with a binary version or target id, never with text.
    for (uint8_t c : head) {
        if (c == ':') return ProgramFormat::IntelHex;
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n') break;
    }
    return ProgramFormat::Coff;
}

ProgramFormat ProgramFormatOf(const std::string& head) {
    return ProgramFormatOf(std::span(reinterpret_cast<const uint8_t*>(head.data()), head.size()));
}

const FormatEntry& FormatFor(ProgramFormat format) {
    for (const FormatEntry& entry : kFormats)
        if (entry.format == format) return entry;
    return kFormats[0];
}

}  // namespace nembra
