#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "image/ByteOrder.h"
#include "image/DeviceTypes.h"
#include "image/LoadFault.h"

namespace nembra {

// TI's three COFF header layouts.
enum class CoffLayout { Coff0, Coff1, Coff2 };

inline constexpr size_t kFileHeaderBytes = 22;
inline constexpr size_t kCoff0FileHeaderBytes = 20;
// Whatever size the file header states, the optional header is this long.
inline constexpr size_t kOptionalHeaderBytes = 28;
inline constexpr size_t kLargestSectionHeaderBytes = 48;
inline constexpr uint32_t kSymbolEntryBytes = 18;

inline constexpr uint16_t kTargetIdLf240xA = 0x0092;
inline constexpr uint16_t kTargetIdF281x = 0x009D;
inline constexpr uint16_t kVersionCoff1 = 0x00C1;
inline constexpr uint16_t kVersionCoff2 = 0x00C2;

struct CoffFileHeader {
    CoffLayout layout = CoffLayout::Coff2;
    // The family the target id names.
    DeviceFamily family = DeviceFamily::F281x;
    uint16_t sectionCount = 0;
    uint32_t symbolTableOffset = 0;
    uint32_t symbolCount = 0;
    uint16_t optionalHeaderSize = 0;
    // Where the optional header (or the section headers) begin.
    uint32_t headerEnd = 0;
};

// Reads the version and target id: NotCoff for an unknown layout,
// DeviceMismatch (at the target id's offset) for a target id of no family.
LoadFault ParseFileHeader(const uint8_t* bytes, CoffFileHeader& header);

struct CoffSectionHeader {
    const uint8_t* nameField = nullptr;  // the eight bytes in the header
    uint32_t virtualAddress = 0;
    uint32_t wordCount = 0;
    uint32_t rawDataOffset = 0;
    uint32_t flags = 0;
    uint16_t page = 0;
};

size_t SectionHeaderBytes(CoffLayout layout);
CoffSectionHeader ParseSectionHeader(const uint8_t* bytes, CoffLayout layout);

// The inline name when the field's first four bytes are not all zero.
bool HasInlineName(const CoffSectionHeader& section);
// The name field's bytes up to the first NUL, at most eight; a view into the
// header it was parsed from.
std::string_view InlineName(const CoffSectionHeader& section);
uint32_t StringTableNameOffset(const CoffSectionHeader& section);

}  // namespace nembra
