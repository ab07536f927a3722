#include "image/ElfReader.h"

#include <algorithm>
#include <cstring>

#include "image/ElfHeaders.h"

namespace nembra {
namespace {

// A PT_LOAD segment with bytes in the file.
struct LoadSegment {
    uint32_t index = 0;  // in the program header table
    ElfProgramHeader header;
};

// A run of a segment's bytes that one section header names.
struct SectionPiece {
    uint32_t segment = 0;  // position in the segment list, which keeps program header order
    ElfSectionHeader header;
};

std::optional<ElfError> Fault(ElfFault fault, uint64_t offset) { return ElfError{fault, offset}; }

std::optional<ElfError> CheckSegment(std::span<const uint8_t> bytes, const ElfProgramHeader& segment) {
    if (segment.memsz < segment.filesz) return Fault(ElfFault::Malformed, segment.at);
    if (segment.filesz % 2 != 0) return Fault(ElfFault::OddSize, segment.at);
    if (uint64_t{segment.offset} + segment.filesz > bytes.size()) return Fault(ElfFault::TruncatedSegment, segment.at);
    if (uint64_t{segment.paddr} + segment.filesz / 2 > uint64_t{1} << 32)
        return Fault(ElfFault::AddressOverflow, segment.at);
    return std::nullopt;
}

std::optional<ElfError> CollectSegments(std::span<const uint8_t> bytes, const ElfFileHeader& file,
                                        std::vector<LoadSegment>& segments) {
    for (uint32_t i = 0; i < file.phnum; ++i) {
        const ElfProgramHeader header = ProgramHeaderAt(bytes, file, i);
        // Uninitialised space (no bytes in the file) is not programmed.
        if (header.type != kPtLoad || header.filesz == 0) continue;
        if (auto error = CheckSegment(bytes, header)) return error;
        segments.push_back({i, header});
    }
    return std::nullopt;
}

uint64_t FileEnd(const ElfProgramHeader& h) { return uint64_t{h.offset} + h.filesz; }
uint64_t LoadEnd(const ElfProgramHeader& h) { return uint64_t{h.paddr} + h.filesz / 2; }

// No two segments may claim the same file bytes or load the same word.
// Returns the segment positions in file order for the section lookup.
std::optional<ElfError> CheckSegmentsApart(const std::vector<LoadSegment>& segments, std::vector<uint32_t>& byFile) {
    byFile.resize(segments.size());
    for (uint32_t i = 0; i < byFile.size(); ++i) byFile[i] = i;
    std::vector<uint32_t> byLoad = byFile;
    const auto& s = segments;
    std::sort(byFile.begin(), byFile.end(),
              [&](uint32_t a, uint32_t b) { return s[a].header.offset < s[b].header.offset; });
    std::sort(byLoad.begin(), byLoad.end(),
              [&](uint32_t a, uint32_t b) { return s[a].header.paddr < s[b].header.paddr; });
    for (size_t i = 1; i < byFile.size(); ++i)
        if (FileEnd(s[byFile[i - 1]].header) > s[byFile[i]].header.offset)
            return Fault(ElfFault::OverlappingData, s[byFile[i]].header.at);
    for (size_t i = 1; i < byLoad.size(); ++i)
        if (LoadEnd(s[byLoad[i - 1]].header) > s[byLoad[i]].header.paddr)
            return Fault(ElfFault::OverlappingAddresses, s[byLoad[i]].header.at);
    return std::nullopt;
}

// The segment whose file bytes hold the given offset, by binary search.
std::optional<uint32_t> SegmentHolding(const std::vector<LoadSegment>& segments, const std::vector<uint32_t>& byFile,
                                       uint32_t offset) {
    auto after = std::upper_bound(byFile.begin(), byFile.end(), offset,
                                  [&](uint32_t value, uint32_t i) { return value < segments[i].header.offset; });
    if (after == byFile.begin()) return std::nullopt;
    const uint32_t candidate = *(after - 1);
    if (offset >= FileEnd(segments[candidate].header)) return std::nullopt;
    return candidate;
}

bool HasFileContents(const ElfSectionHeader& h) {
    return h.type != kShtNull && h.type != kShtNobits && (h.flags & kShfAlloc) != 0 && h.size != 0;
}

// Sections with file contents, each placed in the segment that holds it.
// Sections in no segment (debug information, anything not allocated) are not
// loaded.
std::optional<ElfError> CollectPieces(std::span<const uint8_t> bytes, const ElfFileHeader& file,
                                      const std::vector<LoadSegment>& segments, std::vector<SectionPiece>& pieces) {
    std::vector<uint32_t> byFile;
    if (auto error = CheckSegmentsApart(segments, byFile)) return error;
    for (uint32_t i = 1; i < file.shnum; ++i) {
        const ElfSectionHeader header = SectionHeaderAt(bytes, file, i);
        if (!HasFileContents(header)) continue;
        const auto segment = SegmentHolding(segments, byFile, header.offset);
        if (!segment) continue;
        const ElfProgramHeader& holder = segments[*segment].header;
        if (uint64_t{header.offset} + header.size > FileEnd(holder)) return Fault(ElfFault::Malformed, header.at);
        if ((header.offset - holder.offset) % 2 != 0 || header.size % 2 != 0)
            return Fault(ElfFault::OddSize, header.at);
        pieces.push_back({*segment, header});
    }
    std::sort(pieces.begin(), pieces.end(), [](const SectionPiece& a, const SectionPiece& b) {
        return a.segment != b.segment ? a.segment < b.segment : a.header.offset < b.header.offset;
    });
    for (size_t i = 1; i < pieces.size(); ++i)
        if (pieces[i - 1].segment == pieces[i].segment &&
            uint64_t{pieces[i - 1].header.offset} + pieces[i - 1].header.size > pieces[i].header.offset)
            return Fault(ElfFault::OverlappingData, pieces[i].header.at);
    return std::nullopt;
}

// The name table's bytes, or an empty span when the file has none.
std::optional<ElfError> NameTable(std::span<const uint8_t> bytes, const ElfFileHeader& file,
                                  std::span<const uint8_t>& names) {
    names = {};
    if (file.shstrndx == 0) return std::nullopt;
    const ElfSectionHeader table = SectionHeaderAt(bytes, file, file.shstrndx);
    if (table.type == kShtNobits) return Fault(ElfFault::Malformed, table.at);
    if (uint64_t{table.offset} + table.size > bytes.size()) return Fault(ElfFault::TruncatedHeader, table.offset);
    names = bytes.subspan(table.offset, table.size);
    return std::nullopt;
}

std::optional<ElfError> SectionName(std::span<const uint8_t> names, const ElfSectionHeader& header, std::string& name) {
    if (names.empty()) {
        name.clear();
        return std::nullopt;
    }
    if (header.name >= names.size()) return Fault(ElfFault::BadSectionName, header.at);
    const size_t searched = std::min(names.size() - header.name, kElfMaxNameBytes + 1);
    const auto* start = names.data() + header.name;
    const auto* end = static_cast<const uint8_t*>(std::memchr(start, 0, searched));
    if (!end) return Fault(ElfFault::BadSectionName, header.at);
    name.assign(reinterpret_cast<const char*>(start), static_cast<size_t>(end - start));
    return std::nullopt;
}

std::vector<uint16_t> WordsAt(std::span<const uint8_t> bytes, uint64_t offset, uint64_t byteCount) {
    std::vector<uint16_t> words(byteCount / 2);
    for (size_t i = 0; i < words.size(); ++i)
        words[i] = static_cast<uint16_t>(bytes[offset + 2 * i] | (bytes[offset + 2 * i + 1] << 8));
    return words;
}

// Words of a segment from offset to end, which no section header names.
ElfSection Unnamed(std::span<const uint8_t> bytes, const LoadSegment& segment, uint64_t offset, uint64_t end) {
    const uint32_t wordsIn = static_cast<uint32_t>((offset - segment.header.offset) / 2);
    return {"segment " + std::to_string(segment.index), segment.header.paddr + wordsIn, segment.header.vaddr + wordsIn,
            offset, WordsAt(bytes, offset, end - offset)};
}

// Each segment's bytes in file order: the named sections, and between them
// (or for a segment no section names) runs named after the segment.
std::optional<ElfError> Assemble(std::span<const uint8_t> bytes, std::span<const uint8_t> names,
                                 const std::vector<LoadSegment>& segments, const std::vector<SectionPiece>& pieces,
                                 std::vector<ElfSection>& sections) {
    size_t next = 0;
    for (uint32_t s = 0; s < segments.size(); ++s) {
        const LoadSegment& segment = segments[s];
        uint64_t covered = segment.header.offset;
        for (; next < pieces.size() && pieces[next].segment == s; ++next) {
            const ElfSectionHeader& header = pieces[next].header;
            if (header.offset > covered) sections.push_back(Unnamed(bytes, segment, covered, header.offset));
            ElfSection section;
            if (auto error = SectionName(names, header, section.name)) return error;
            section.loadAddress = segment.header.paddr + (header.offset - segment.header.offset) / 2;
            section.runAddress = header.addr;
            section.fileOffset = header.offset;
            section.words = WordsAt(bytes, header.offset, header.size);
            sections.push_back(std::move(section));
            covered = uint64_t{header.offset} + header.size;
        }
        if (covered < FileEnd(segment.header))
            sections.push_back(Unnamed(bytes, segment, covered, FileEnd(segment.header)));
    }
    return std::nullopt;
}

std::optional<ElfError> ReadSections(std::span<const uint8_t> bytes, std::vector<ElfSection>& sections) {
    ElfFileHeader file;
    if (auto error = ParseElfHeader(bytes, file)) return error;
    std::vector<LoadSegment> segments;
    if (auto error = CollectSegments(bytes, file, segments)) return error;
    std::vector<SectionPiece> pieces;
    if (auto error = CollectPieces(bytes, file, segments, pieces)) return error;
    std::span<const uint8_t> names;
    if (auto error = NameTable(bytes, file, names)) return error;
    return Assemble(bytes, names, segments, pieces, sections);
}

}  // namespace

ElfRead ReadElf(std::span<const uint8_t> bytes) {
    ElfRead read;
    read.error = ReadSections(bytes, read.sections);
    if (read.error) read.sections.clear();
    return read;
}

std::optional<ElfError> CheckElfFamily(DeviceType deviceType) {
    if (IsF281x(deviceType)) return std::nullopt;
    return ElfError{ElfFault::WrongFamily, 0};
}

}  // namespace nembra
