#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "image/DeviceTypes.h"

namespace nembra {

// Why an ELF file cannot be read. Each kind has its own message line.
enum class ElfFault : uint8_t {
    NotElf,                // no "\x7F" "ELF" at the start
    Is64Bit,               // ELFCLASS64
    BigEndian,             // ELFDATA2MSB
    Relocatable,           // ET_REL: an object file the linker has not placed yet
    NotExecutable,         // any other file type than ET_EXEC
    OtherMachine,          // a machine other than 141 (TI C2000)
    TruncatedHeader,       // the ELF header or a header table runs past the end of the file
    TruncatedSegment,      // a loadable segment's bytes run past the end of the file
    Malformed,             // a header field that cannot hold (entry sizes, class, string table, ...)
    OddSize,               // loadable bytes that do not make whole 16-bit words
    AddressOverflow,       // loadable words beyond word address 0xFFFFFFFF
    OverlappingData,       // two segments or two sections claim the same file bytes
    OverlappingAddresses,  // two segments load words at the same address
    BadSectionName,        // a name outside the name table, without its NUL, or too long
    WrongFamily,           // an ELF file loaded for the LF240xA family, whose tools write only COFF
};

// What went wrong and where: the byte offset of the header entry holding the
// faulty field (the ELF header, a program header or a section header), or,
// for a header table cut off by the end of the file, where that table starts.
struct ElfError {
    ElfFault fault = ElfFault::NotElf;
    uint64_t offset = 0;

    bool operator==(const ElfError&) const = default;
};

// One run of words to program. Addresses count 16-bit words.
struct ElfSection {
    // From the section headers; "segment N" for loadable bytes that no
    // section header names (N is the program header's index).
    std::string name;
    // Where the words are programmed: the segment's load (physical) address.
    uint32_t loadAddress = 0;
    // Where the program expects them at run time (the section's address); it
    // differs from loadAddress for code copied to RAM at start.
    uint32_t runAddress = 0;
    // Byte offset of the words in the file.
    uint64_t fileOffset = 0;
    std::vector<uint16_t> words;
};

// Either the sections (error empty) or the error (sections empty).
struct ElfRead {
    std::optional<ElfError> error;
    // In program header order, and within a segment in file order.
    std::vector<ElfSection> sections;
};

inline constexpr uint16_t kElfMachineTiC2000 = 141;
// Longest section name taken; longer ones are refused as BadSectionName.
inline constexpr size_t kElfMaxNameBytes = 4096;

// Reads a linked TI C2000 ELF executable (32-bit, little-endian) from its
// bytes. Only the words of loadable segments (PT_LOAD) are taken, at their
// load addresses; uninitialised space and sections that are not allocated
// (debug information) give no words. Work and memory grow linearly with the
// file's size, however its headers are made.
ElfRead ReadElf(std::span<const uint8_t> bytes);

// ELF programs are for the F281x family; for an LF240xA device type this is
// the WrongFamily error (offset 0).
std::optional<ElfError> CheckElfFamily(DeviceType deviceType);

// One line for the status line, with the byte offset where it helps.
std::string ElfErrorMessage(const ElfError& error);

}  // namespace nembra
