#include "image/ElfHeaders.h"

#include "image/ByteOrder.h"

namespace nembra {
namespace {

constexpr size_t kElfHeaderBytes = 52;
constexpr uint16_t kProgramHeaderBytes = 32;
constexpr uint16_t kSectionHeaderBytes = 40;
constexpr uint16_t kTypeRelocatable = 1;
constexpr uint16_t kTypeExecutable = 2;
// Counts too large for the ELF header's 16-bit fields live in section 0.
constexpr uint16_t kPnXnum = 0xFFFF;
constexpr uint16_t kShnXindex = 0xFFFF;

std::optional<ElfError> Fault(ElfFault fault, uint64_t offset) { return ElfError{fault, offset}; }

std::optional<ElfError> CheckIdentity(std::span<const uint8_t> bytes) {
    if (bytes.size() < 4 || bytes[0] != 0x7F || bytes[1] != 'E' || bytes[2] != 'L' || bytes[3] != 'F')
        return Fault(ElfFault::NotElf, 0);
    if (bytes.size() < 6) return Fault(ElfFault::TruncatedHeader, 0);
    if (bytes[4] == 2) return Fault(ElfFault::Is64Bit, 4);
    if (bytes[4] != 1) return Fault(ElfFault::Malformed, 4);
    if (bytes[5] == 2) return Fault(ElfFault::BigEndian, 5);
    if (bytes[5] != 1) return Fault(ElfFault::Malformed, 5);
    if (bytes.size() < kElfHeaderBytes) return Fault(ElfFault::TruncatedHeader, 0);
    const uint16_t type = ReadLe16(&bytes[16]);
    if (type == kTypeRelocatable) return Fault(ElfFault::Relocatable, 16);
    if (type != kTypeExecutable) return Fault(ElfFault::NotExecutable, 16);
    if (ReadLe16(&bytes[18]) != kElfMachineTiC2000) return Fault(ElfFault::OtherMachine, 18);
    return std::nullopt;
}

bool TableFits(std::span<const uint8_t> bytes, uint64_t offset, uint64_t count, uint64_t entryBytes) {
    return offset <= bytes.size() && count * entryBytes <= bytes.size() - offset;
}

// Section 0 holds the counts and the name table index that do not fit the
// ELF header's fields.
std::optional<ElfError> ReadSectionTable(std::span<const uint8_t> bytes, ElfFileHeader& header) {
    const uint16_t shnum = ReadLe16(&bytes[48]);
    const uint16_t shstrndx = ReadLe16(&bytes[50]);
    header.shnum = shnum;
    header.shstrndx = shstrndx;
    if (header.shoff == 0) {
        if (shnum != 0) return Fault(ElfFault::Malformed, 32);
        header.shstrndx = 0;
        return std::nullopt;
    }
    if (header.shentsize < kSectionHeaderBytes) return Fault(ElfFault::Malformed, 46);
    if (!TableFits(bytes, header.shoff, 1, header.shentsize)) return Fault(ElfFault::TruncatedHeader, header.shoff);
    const ElfSectionHeader first = SectionHeaderAt(bytes, header, 0);
    if (shnum == 0) header.shnum = first.size;
    if (shstrndx == kShnXindex) header.shstrndx = first.link;
    if (header.phnum == kPnXnum) header.phnum = first.info;
    if (!TableFits(bytes, header.shoff, header.shnum, header.shentsize))
        return Fault(ElfFault::TruncatedHeader, header.shoff);
    if (header.shstrndx != 0 && header.shstrndx >= header.shnum) return Fault(ElfFault::Malformed, 50);
    return std::nullopt;
}

std::optional<ElfError> CheckProgramTable(std::span<const uint8_t> bytes, const ElfFileHeader& header) {
    if (header.phnum == 0) return std::nullopt;
    if (header.phentsize < kProgramHeaderBytes) return Fault(ElfFault::Malformed, 42);
    if (header.phoff == 0) return Fault(ElfFault::Malformed, 28);
    if (!TableFits(bytes, header.phoff, header.phnum, header.phentsize))
        return Fault(ElfFault::TruncatedHeader, header.phoff);
    return std::nullopt;
}

}  // namespace

std::optional<ElfError> ParseElfHeader(std::span<const uint8_t> bytes, ElfFileHeader& header) {
    if (auto error = CheckIdentity(bytes)) return error;
    header = ElfFileHeader{};
    header.phoff = ReadLe32(&bytes[28]);
    header.shoff = ReadLe32(&bytes[32]);
    header.phentsize = ReadLe16(&bytes[42]);
    header.phnum = ReadLe16(&bytes[44]);
    header.shentsize = ReadLe16(&bytes[46]);
    if (auto error = ReadSectionTable(bytes, header)) return error;
    if (header.phnum == kPnXnum && header.shoff == 0) return Fault(ElfFault::Malformed, 44);
    return CheckProgramTable(bytes, header);
}

ElfProgramHeader ProgramHeaderAt(std::span<const uint8_t> bytes, const ElfFileHeader& header, uint32_t index) {
    ElfProgramHeader entry;
    entry.at = header.phoff + uint64_t{index} * header.phentsize;
    const uint8_t* p = bytes.data() + entry.at;
    entry.type = ReadLe32(p);
    entry.offset = ReadLe32(p + 4);
    entry.vaddr = ReadLe32(p + 8);
    entry.paddr = ReadLe32(p + 12);
    entry.filesz = ReadLe32(p + 16);
    entry.memsz = ReadLe32(p + 20);
    return entry;
}

ElfSectionHeader SectionHeaderAt(std::span<const uint8_t> bytes, const ElfFileHeader& header, uint32_t index) {
    ElfSectionHeader entry;
    entry.at = header.shoff + uint64_t{index} * header.shentsize;
    const uint8_t* p = bytes.data() + entry.at;
    entry.name = ReadLe32(p);
    entry.type = ReadLe32(p + 4);
    entry.flags = ReadLe32(p + 8);
    entry.addr = ReadLe32(p + 12);
    entry.offset = ReadLe32(p + 16);
    entry.size = ReadLe32(p + 20);
    entry.link = ReadLe32(p + 24);
    entry.info = ReadLe32(p + 28);
    return entry;
}

}  // namespace nembra
