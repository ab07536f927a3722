#include "tests/support/ElfBuilder.h"

#include "tests/support/CoffBuilder.h"

namespace nembra::testing {
namespace {

constexpr size_t kElfHeaderBytes = 52;
constexpr size_t kProgramHeaderBytes = 32;
constexpr size_t kSectionHeaderBytes = 40;

void PutWords(std::vector<uint8_t>& out, const std::vector<uint16_t>& words) {
    for (uint16_t word : words) {
        out.push_back(static_cast<uint8_t>(word));
        out.push_back(static_cast<uint8_t>(word >> 8));
    }
}

uint32_t Size32(size_t value) { return static_cast<uint32_t>(value); }

// Where each section's bytes and each segment's bytes went.
struct Layout {
    std::vector<uint32_t> sectionOffset;
    std::vector<uint32_t> sectionAddress;
    std::vector<uint32_t> segmentOffset;
    std::vector<uint32_t> segmentBytes;
};

void PlaceSegments(const ElfFilePlan& elf, std::vector<uint8_t>& out, Layout& layout) {
    for (size_t s = 0; s < elf.segments.size(); ++s) {
        const ElfSegmentPlan& segment = elf.segments[s];
        layout.segmentOffset[s] = Size32(out.size());
        for (size_t k = 0; k < elf.sections.size(); ++k) {
            const ElfSectionPlan& section = elf.sections[k];
            if (section.segment != s) continue;
            const uint32_t wordsIn = Size32((out.size() - layout.segmentOffset[s]) / 2);
            layout.sectionOffset[k] = Size32(out.size());
            layout.sectionAddress[k] =
                section.runAddress.value_or(segment.runAddress.value_or(segment.loadAddress) + wordsIn);
            if (section.type != kElfNobits) PutWords(out, section.words);
        }
        PutWords(out, segment.extraWords);
        layout.segmentBytes[s] = Size32(out.size() - layout.segmentOffset[s]);
    }
    for (size_t k = 0; k < elf.sections.size(); ++k) {
        const ElfSectionPlan& section = elf.sections[k];
        if (section.segment) continue;
        layout.sectionOffset[k] = Size32(out.size());
        layout.sectionAddress[k] = section.runAddress.value_or(0);
        if (section.type != kElfNobits) PutWords(out, section.words);
    }
}

std::vector<uint32_t> PlaceNames(const ElfFilePlan& elf, std::vector<uint8_t>& out, uint32_t& tableOffset,
                                 uint32_t& tableName) {
    tableOffset = Size32(out.size());
    out.push_back(0);
    std::vector<uint32_t> names;
    for (const auto& section : elf.sections) {
        names.push_back(Size32(out.size() - tableOffset));
        out.insert(out.end(), section.name.begin(), section.name.end());
        out.push_back(0);
    }
    tableName = Size32(out.size() - tableOffset);
    const std::string own = ".shstrtab";
    out.insert(out.end(), own.begin(), own.end());
    out.push_back(0);
    return names;
}

void WriteProgramHeaders(const ElfFilePlan& elf, std::vector<uint8_t>& out, const Layout& layout) {
    for (size_t s = 0; s < elf.segments.size(); ++s) {
        const ElfSegmentPlan& segment = elf.segments[s];
        const size_t at = out.size();
        out.resize(at + kProgramHeaderBytes, 0);
        PutLe32(out, at, segment.type);
        PutLe32(out, at + elf_field::kPOffset, layout.segmentOffset[s]);
        PutLe32(out, at + elf_field::kPVaddr, segment.runAddress.value_or(segment.loadAddress));
        PutLe32(out, at + elf_field::kPPaddr, segment.loadAddress);
        PutLe32(out, at + elf_field::kPFilesz, layout.segmentBytes[s]);
        PutLe32(out, at + elf_field::kPMemsz, layout.segmentBytes[s] + segment.uninitialisedBytes);
    }
}

void WriteSectionHeader(std::vector<uint8_t>& out, uint32_t name, uint32_t type, uint32_t flags, uint32_t address,
                        uint32_t offset, uint32_t size) {
    const size_t at = out.size();
    out.resize(at + kSectionHeaderBytes, 0);
    PutLe32(out, at + elf_field::kShName, name);
    PutLe32(out, at + elf_field::kShType, type);
    PutLe32(out, at + elf_field::kShFlags, flags);
    PutLe32(out, at + elf_field::kShAddr, address);
    PutLe32(out, at + elf_field::kShOffset, offset);
    PutLe32(out, at + elf_field::kShSize, size);
}

void WriteElfHeader(const ElfFilePlan& elf, std::vector<uint8_t>& out) {
    out[0] = 0x7F, out[1] = 'E', out[2] = 'L', out[3] = 'F';
    out[4] = elf.elfClass;
    out[5] = elf.dataEncoding;
    out[6] = 1;
    PutLe16(out, 16, elf.type);
    PutLe16(out, 18, elf.machine);
    PutLe32(out, 20, 1);
    PutLe16(out, 40, kElfHeaderBytes);
    PutLe16(out, elf_field::kPhentsize, kProgramHeaderBytes);
    PutLe16(out, elf_field::kPhnum, Size32(elf.segments.size()));
}

}  // namespace

std::vector<uint8_t> BuildElf(const ElfFilePlan& elf) {
    std::vector<uint8_t> out(kElfHeaderBytes, 0);
    WriteElfHeader(elf, out);
    Layout layout{std::vector<uint32_t>(elf.sections.size()), std::vector<uint32_t>(elf.sections.size()),
                  std::vector<uint32_t>(elf.segments.size()), std::vector<uint32_t>(elf.segments.size())};
    PlaceSegments(elf, out, layout);
    uint32_t tableOffset = 0, tableName = 0;
    const std::vector<uint32_t> names = PlaceNames(elf, out, tableOffset, tableName);
    const uint32_t tableBytes = Size32(out.size() - tableOffset);
    if (out.size() % 2) out.push_back(0);
    PutLe32(out, elf_field::kPhoff, elf.segments.empty() ? 0 : Size32(out.size()));
    WriteProgramHeaders(elf, out, layout);
    if (!elf.withSectionHeaders) return out;
    PutLe32(out, elf_field::kShoff, Size32(out.size()));
    PutLe16(out, elf_field::kShentsize, kSectionHeaderBytes);
    PutLe16(out, elf_field::kShnum, Size32(elf.sections.size() + 2));
    PutLe16(out, elf_field::kShstrndx, Size32(elf.sections.size() + 1));
    WriteSectionHeader(out, 0, 0, 0, 0, 0, 0);
    for (size_t k = 0; k < elf.sections.size(); ++k) {
        const ElfSectionPlan& section = elf.sections[k];
        const uint32_t bytes = section.type == kElfNobits ? section.nobitsBytes : Size32(2 * section.words.size());
        WriteSectionHeader(out, names[k], section.type, section.flags, layout.sectionAddress[k],
                           layout.sectionOffset[k], bytes);
    }
    WriteSectionHeader(out, tableName, 3, 0, 0, tableOffset, tableBytes);
    return out;
}

uint32_t GetLe32(const std::vector<uint8_t>& bytes, size_t at) {
    return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) | (uint32_t{bytes[at + 3]} << 24);
}

void PutLe16(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    bytes[at] = static_cast<uint8_t>(value);
    bytes[at + 1] = static_cast<uint8_t>(value >> 8);
}

void PutLe32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    PutLe16(bytes, at, value & 0xFFFF);
    PutLe16(bytes, at + 2, value >> 16);
}

uint32_t ElfProgramHeaderAt(const std::vector<uint8_t>& elf, size_t index) {
    return GetLe32(elf, elf_field::kPhoff) + Size32(index * kProgramHeaderBytes);
}

uint32_t ElfSectionHeaderAt(const std::vector<uint8_t>& elf, size_t index) {
    return GetLe32(elf, elf_field::kShoff) + Size32(index * kSectionHeaderBytes);
}

ElfSegmentPlan LoadSegment(uint32_t loadAddress, std::optional<uint32_t> runAddress, uint32_t uninitialisedBytes) {
    ElfSegmentPlan segment;
    segment.loadAddress = loadAddress;
    segment.runAddress = runAddress;
    segment.uninitialisedBytes = uninitialisedBytes;
    return segment;
}

ElfSectionPlan CodeSection(std::string name, size_t segment, std::vector<uint16_t> words, uint32_t flags) {
    ElfSectionPlan section;
    section.name = std::move(name);
    section.segment = segment;
    section.words = std::move(words);
    section.flags = flags;
    return section;
}

ElfSectionPlan UninitialisedSection(std::string name, size_t segment, uint32_t bytes) {
    ElfSectionPlan section;
    section.name = std::move(name);
    section.segment = segment;
    section.type = kElfNobits;
    section.flags = kElfAlloc | 0x1;
    section.nobitsBytes = bytes;
    return section;
}

ElfSectionPlan InfoSection(std::string name, std::vector<uint16_t> words) {
    ElfSectionPlan section;
    section.name = std::move(name);
    section.words = std::move(words);
    section.flags = 0;
    return section;
}

ElfFilePlan F281xElfProgram() {
    ElfFilePlan elf;
    elf.segments = {
        LoadSegment(0x3F6000),                   // 0: .text, .econst
        LoadSegment(0x3F4000),                   // 1: .cinit
        LoadSegment(0x3F0000, 0x008000),         // 2: ramfuncs, copied to L0 SARAM at start
        LoadSegment(0x3F7FF8),                   // 3: CsmPwlFile
        LoadSegment(0x008400, 0x008400, 0x100),  // 4: .ebss
        LoadSegment(0x000400, 0x000400, 0x800),  // 5: .stack
    };
    elf.sections = {
        CodeSection(".text", 0, Pattern(0x40, 1)),
        CodeSection(".econst", 0, Pattern(0x11, 2), kElfAlloc),
        CodeSection(".cinit", 1, Pattern(0x08, 3), kElfAlloc),
        CodeSection("ramfuncs", 2, Pattern(0x20, 4)),
        CodeSection("CsmPwlFile", 3, Pattern(8, 5), kElfAlloc),
        UninitialisedSection(".ebss", 4, 0x100),
        UninitialisedSection(".stack", 5, 0x800),
        InfoSection(".debug_info", Pattern(0x30, 6)),
    };
    return elf;
}

}  // namespace nembra::testing
