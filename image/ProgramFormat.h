#pragma once
#include <string>

namespace nembra {

// What a program file holds, told by its first bytes, never by its name.
enum class ProgramFormat {
    Coff,      // anything else goes to the COFF reader, which says what is wrong with it
    Elf,       // "\x7F" "ELF"
    IntelHex,  // text whose first non-blank character is ':'
};

ProgramFormat ProgramFormatOf(const std::string& head);
// The format of a file; Coff when it cannot be read (the COFF reader then
// reports the failure as it does for any unreadable file).
ProgramFormat ProgramFormatOfFile(const std::string& path);

}  // namespace nembra
