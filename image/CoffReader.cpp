#include "image/CoffReader.h"

#include <array>
#include <string_view>

#include "image/CoffHeaders.h"
#include "image/CoffStringTable.h"

namespace nembra {
namespace {

// Section flags that mark data that is never loaded: DSECT, NOLOAD, COPY.
constexpr uint32_t kUnloadedFlags = 0x01 | 0x02 | 0x10;
// A string table beyond a signed 32-bit offset is refused: a file whose names
// lie there is not one the 32-bit tools that make these files could write.
constexpr uint64_t kLargestSeek = 0x7FFFFFFF;
constexpr size_t kSymbolTableOffsetField = 8;

struct CoffScan {
    std::span<const uint8_t> bytes;
    CoffFileHeader header;
    uint64_t sectionStart = 0;
    CoffStringTable strings;
};

bool Holds(std::span<const uint8_t> bytes, uint64_t offset, uint64_t count) {
    return offset <= bytes.size() && count <= bytes.size() - offset;
}

// Header, optional header and string table checks, before any section; the
// family goes to the sink as soon as the target id has named it.
LoadFault ReadHeaders(CoffScan& scan, SectionSink& sink) {
    const auto bytes = scan.bytes;
    if (bytes.size() < kFileHeaderBytes) return FaultAt(CoffResult::NotCoff, 0);
    if (LoadFault f = ParseFileHeader(bytes.data(), scan.header); !f.ok()) return f;
    if (LoadFault f = sink.Family(scan.header.family); !f.ok()) return f;

    uint64_t position = scan.header.headerEnd;
    if (scan.header.optionalHeaderSize != 0) {
        if (!Holds(bytes, position, kOptionalHeaderBytes)) return FaultAt(CoffResult::NotCoff, position);
        position += kOptionalHeaderBytes;
    }
    scan.sectionStart = position;

    const uint32_t table = scan.header.symbolTableOffset + kSymbolEntryBytes * scan.header.symbolCount;
    if (table > kLargestSeek) return FaultAt(CoffResult::FileError, kSymbolTableOffsetField);
    if (!Holds(bytes, table, 4)) return FaultAt(CoffResult::NotCoff, kSymbolTableOffsetField);
    const uint32_t length = ReadLe32(bytes.data() + table);
    if (!Holds(bytes, table, length)) return FaultAt(CoffResult::NotCoff, table);
    scan.strings.Locate(bytes.subspan(table, length));
    return {};
}

// The name as a view into the header or the string table.
bool SectionName(CoffScan& scan, const CoffSectionHeader& header, std::string_view& name) {
    if (HasInlineName(header))
        name = InlineName(header);
    else if (!scan.strings.NameAt(StringTableNameOffset(header), name))
        return false;
    // The C compiler prefixes one underscore; only that one is dropped.
    if (!name.empty() && name.front() == '_') name.remove_prefix(1);
    return true;
}

LoadFault ReadSection(CoffScan& scan, uint32_t index, SectionSink& sink) {
    const size_t headerBytes = SectionHeaderBytes(scan.header.layout);
    const uint64_t at = scan.sectionStart + uint64_t{index} * headerBytes;
    if (!Holds(scan.bytes, at, headerBytes)) return FaultAt(CoffResult::NotCoff, at);
    const CoffSectionHeader header = ParseSectionHeader(scan.bytes.data() + at, scan.header.layout);

    FoundSection found;
    if (!SectionName(scan, header, found.name)) return FaultAt(CoffResult::NotCoff, at);
    // Nothing to load: no words, no raw data (uninitialised), or data the
    // linker marks as never loaded.
    if (header.wordCount == 0 || header.rawDataOffset == 0 || (header.flags & kUnloadedFlags) != 0) return {};

    found.address = header.virtualAddress;
    found.wordCount = header.wordCount;
    found.page = header.page;
    found.fileOffset = header.rawDataOffset;
    const uint64_t dataBytes = 2 * uint64_t{header.wordCount};
    // Missing data would be programmed as 0xFFFF without a word of warning.
    if (Holds(scan.bytes, header.rawDataOffset, dataBytes))
        found.bytes = scan.bytes.subspan(header.rawDataOffset, static_cast<size_t>(dataBytes));
    else
        found.unreadable = FaultAt(CoffResult::NotCoff, at);
    return sink.Section(found);
}

}  // namespace

LoadFault ReadCoffProgram(std::span<const uint8_t> bytes, SectionSink& sink) {
    CoffScan scan{bytes, {}, 0, {}};
    if (LoadFault f = ReadHeaders(scan, sink); !f.ok()) return f;
    if (LoadFault f = sink.Begin(); !f.ok()) return f;
    for (uint32_t i = 0; i < scan.header.sectionCount; ++i)
        if (LoadFault f = ReadSection(scan, i, sink); !f.ok()) return f;
    return {};
}

}  // namespace nembra
