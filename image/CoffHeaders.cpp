#include "image/CoffHeaders.h"

#include <algorithm>

namespace nembra {
namespace {

constexpr size_t kTargetIdOffset = 20;

bool FamilyOf(uint16_t targetId, DeviceFamily& family) {
    if (targetId == kTargetIdLf240xA)
        family = DeviceFamily::Lf240xA;
    else if (targetId == kTargetIdF281x)
        family = DeviceFamily::F281x;
    else
        return false;
    return true;
}

}  // namespace

LoadFault ParseFileHeader(const uint8_t* bytes, CoffFileHeader& header) {
    const uint16_t magic = ReadLe16(&bytes[0]);
    if (magic == kTargetIdLf240xA || magic == kTargetIdF281x) {
        // COFF0 has no version field: the first half-word is the target id.
        FamilyOf(magic, header.family);
        header.layout = CoffLayout::Coff0;
        header.headerEnd = kCoff0FileHeaderBytes;
    } else if (magic == kVersionCoff1 || magic == kVersionCoff2) {
        if (!FamilyOf(ReadLe16(&bytes[kTargetIdOffset]), header.family))
            return FaultAt(CoffResult::DeviceMismatch, kTargetIdOffset);
        header.layout = magic == kVersionCoff1 ? CoffLayout::Coff1 : CoffLayout::Coff2;
        header.headerEnd = kFileHeaderBytes;
    } else {
        return FaultAt(CoffResult::NotCoff, 0);
    }
    header.sectionCount = ReadLe16(&bytes[2]);
    header.symbolTableOffset = ReadLe32(&bytes[8]);
    header.symbolCount = ReadLe32(&bytes[12]);
    header.optionalHeaderSize = ReadLe16(&bytes[16]);
    return {};
}

size_t SectionHeaderBytes(CoffLayout layout) { return layout == CoffLayout::Coff2 ? 48 : 40; }

CoffSectionHeader ParseSectionHeader(const uint8_t* bytes, CoffLayout layout) {
    CoffSectionHeader section;
    section.nameField = bytes;
    section.virtualAddress = ReadLe32(bytes + 12);
    section.wordCount = ReadLe32(bytes + 16);
    section.rawDataOffset = ReadLe32(bytes + 20);
    if (layout == CoffLayout::Coff2) {
        section.flags = ReadLe32(bytes + 40);
        section.page = ReadLe16(bytes + 46);
    } else {
        section.flags = ReadLe16(bytes + 36);
        section.page = bytes[39];
    }
    return section;
}

bool HasInlineName(const CoffSectionHeader& section) { return ReadLe32(section.nameField) != 0; }

std::string_view InlineName(const CoffSectionHeader& section) {
    const uint8_t* end = std::find(section.nameField, section.nameField + 8, uint8_t{0});
    return {reinterpret_cast<const char*>(section.nameField), static_cast<size_t>(end - section.nameField)};
}

uint32_t StringTableNameOffset(const CoffSectionHeader& section) { return ReadLe32(section.nameField + 4); }

}  // namespace nembra
