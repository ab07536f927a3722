#pragma once
#include <cstdint>
#include <span>
#include <string>

#include "image/LoadFault.h"
#include "image/SectionSink.h"

namespace nembra {

// What a program file holds, told by its first bytes, never by its name.
enum class ProgramFormat {
    Coff,      // anything else goes to the COFF reader, which says what is wrong with it
    Elf,       // "\x7F" "ELF"
    IntelHex,  // text whose first non-blank character is ':'
};

ProgramFormat ProgramFormatOf(std::span<const uint8_t> head);
ProgramFormat ProgramFormatOf(const std::string& head);

// A format's reader and what the rules need to know of the format. Adding a
// format is one reader file, its detection above and one row in the table.
struct FormatEntry {
    ProgramFormat format;
    ProgramReader read;
    // False for formats without section names (Intel HEX): the F281x
    // password words are then dropped by their address.
    bool namesSections;
    // The refusal of a file whose family is not the selected device's.
    LoadFault familyMismatch;
    // The refusal of more than 65535 kept sections.
    CoffResult tooManySections;
};

const FormatEntry& FormatFor(ProgramFormat format);

// The readers of the table, each in a file of its own.
LoadFault ReadCoffProgram(std::span<const uint8_t> bytes, SectionSink& sink);
LoadFault ReadHexProgram(std::span<const uint8_t> bytes, SectionSink& sink);
LoadFault ReadElfProgram(std::span<const uint8_t> bytes, SectionSink& sink);

}  // namespace nembra
