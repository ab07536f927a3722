#pragma once
#include <cstdint>
#include <optional>
#include <span>

#include "image/ElfReader.h"

namespace nembra {

// The fields of the 32-bit ELF header that locate everything else, with the
// extended numbering (counts and the name table index kept in section 0)
// already resolved. Both header tables lie wholly inside the file.
struct ElfFileHeader {
    uint32_t phoff = 0;
    uint32_t phnum = 0;
    uint16_t phentsize = 0;
    uint32_t shoff = 0;
    uint32_t shnum = 0;
    uint16_t shentsize = 0;
    uint32_t shstrndx = 0;  // 0: the file has no section name table
};

struct ElfProgramHeader {
    uint64_t at = 0;  // byte offset of this header in the file
    uint32_t type = 0;
    uint32_t offset = 0;
    uint32_t vaddr = 0;
    uint32_t paddr = 0;
    uint32_t filesz = 0;
    uint32_t memsz = 0;
};

struct ElfSectionHeader {
    uint64_t at = 0;  // byte offset of this header in the file
    uint32_t name = 0;
    uint32_t type = 0;
    uint32_t flags = 0;
    uint32_t addr = 0;
    uint32_t offset = 0;
    uint32_t size = 0;
    uint32_t link = 0;
    uint32_t info = 0;
};

inline constexpr uint32_t kPtLoad = 1;
inline constexpr uint32_t kShtNull = 0;
inline constexpr uint32_t kShtNobits = 8;
inline constexpr uint32_t kShfAlloc = 0x2;

// Checks identification, type and machine, and that both header tables fit
// in the file.
std::optional<ElfError> ParseElfHeader(std::span<const uint8_t> bytes, ElfFileHeader& header);

// Entries of tables ParseElfHeader has checked; index below the count.
ElfProgramHeader ProgramHeaderAt(std::span<const uint8_t> bytes, const ElfFileHeader& header, uint32_t index);
ElfSectionHeader SectionHeaderAt(std::span<const uint8_t> bytes, const ElfFileHeader& header, uint32_t index);

}  // namespace nembra
