#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace nembra::testing {

inline constexpr uint32_t kElfProgbits = 1;
inline constexpr uint32_t kElfNobits = 8;
inline constexpr uint32_t kElfAlloc = 0x2;
inline constexpr uint32_t kElfExec = 0x4;

// A section of a built ELF file. One with a segment lies in that segment's
// bytes, after the sections before it in the plan; one without (debug
// information) lies in the file outside every segment.
struct ElfSectionPlan {
    std::string name;
    std::optional<size_t> segment;  // index into ElfFilePlan::segments
    std::vector<uint16_t> words;
    uint32_t type = kElfProgbits;
    uint32_t flags = kElfAlloc | kElfExec;
    // The run address; default: the segment's run address plus the words before it.
    std::optional<uint32_t> runAddress;
    uint32_t nobitsBytes = 0;  // the size of a NOBITS section
};

// A program header. Its file bytes are its sections' words plus extraWords
// that no section names; memory beyond them (uninitialised) is memBytes.
struct ElfSegmentPlan {
    uint32_t type = 1;  // PT_LOAD
    uint32_t loadAddress = 0;
    std::optional<uint32_t> runAddress;  // default: loadAddress
    std::vector<uint16_t> extraWords;    // after its sections
    uint32_t uninitialisedBytes = 0;     // memsz beyond filesz
};

// Plans in one line each.
ElfSegmentPlan LoadSegment(uint32_t loadAddress, std::optional<uint32_t> runAddress = std::nullopt,
                           uint32_t uninitialisedBytes = 0);
ElfSectionPlan CodeSection(std::string name, size_t segment, std::vector<uint16_t> words,
                           uint32_t flags = kElfAlloc | kElfExec);
ElfSectionPlan UninitialisedSection(std::string name, size_t segment, uint32_t bytes);
// Not allocated: debug information, in no segment.
ElfSectionPlan InfoSection(std::string name, std::vector<uint16_t> words);

// A linked F281x ELF executable as TI's tools lay one out: ELF header,
// segment bytes in plan order, other section bytes, the name table, the
// program header table, the section header table (a NULL section, the
// plan's sections in order, then .shstrtab).
struct ElfFilePlan {
    uint8_t elfClass = 1;      // ELFCLASS32
    uint8_t dataEncoding = 1;  // ELFDATA2LSB
    uint16_t type = 2;         // ET_EXEC
    uint16_t machine = 141;
    bool withSectionHeaders = true;
    std::vector<ElfSegmentPlan> segments;
    std::vector<ElfSectionPlan> sections;
};

std::vector<uint8_t> BuildElf(const ElfFilePlan& elf);

// Where things lie in a built file, read back from its headers.
uint32_t ElfProgramHeaderAt(const std::vector<uint8_t>& elf, size_t index);
// Index 0 is the NULL section; plan section k is index k + 1.
uint32_t ElfSectionHeaderAt(const std::vector<uint8_t>& elf, size_t index);

uint32_t GetLe32(const std::vector<uint8_t>& bytes, size_t at);
void PutLe16(std::vector<uint8_t>& bytes, size_t at, uint32_t value);
void PutLe32(std::vector<uint8_t>& bytes, size_t at, uint32_t value);

// Field offsets in the ELF header, a program header and a section header.
namespace elf_field {
inline constexpr size_t kPhoff = 28, kShoff = 32, kPhentsize = 42, kPhnum = 44, kShentsize = 46, kShnum = 48,
                        kShstrndx = 50;
inline constexpr size_t kPOffset = 4, kPVaddr = 8, kPPaddr = 12, kPFilesz = 16, kPMemsz = 20;
inline constexpr size_t kShName = 0, kShType = 4, kShFlags = 8, kShAddr = 12, kShOffset = 16, kShSize = 20,
                        kShLink = 24, kShInfo = 28;
}  // namespace elf_field

// A small F281x program: .text in flash sector A, .cinit in sector B,
// ramfuncs loaded in sector C and run from L0 SARAM, uninitialised .ebss and
// .stack, the CSM password words and a .debug_info section.
ElfFilePlan F281xElfProgram();

}  // namespace nembra::testing
