#include "image/CoffHeaders.h"

#include <string>

namespace nembra {
namespace {

bool TargetFitsFamily(uint16_t targetId, DeviceType deviceType) {
    if (targetId == kTargetIdLf240xA) return !IsF281x(deviceType);
    if (targetId == kTargetIdF281x) return IsF281x(deviceType);
    return false;
}

}  // namespace

uint16_t ReadLe16(const uint8_t* bytes) { return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8)); }

uint32_t ReadLe32(const uint8_t* bytes) {
    return uint32_t{bytes[0]} | (uint32_t{bytes[1]} << 8) | (uint32_t{bytes[2]} << 16) | (uint32_t{bytes[3]} << 24);
}

CoffResult ParseFileHeader(const std::array<uint8_t, kFileHeaderBytes>& bytes, DeviceType deviceType,
                           CoffFileHeader& header) {
    const uint16_t magic = ReadLe16(&bytes[0]);
    if (magic == kTargetIdLf240xA || magic == kTargetIdF281x) {
        // COFF0 has no version field: the first half-word is the target id.
        if (!TargetFitsFamily(magic, deviceType)) return CoffResult::DeviceMismatch;
        header.layout = CoffLayout::Coff0;
        header.headerEnd = kCoff0FileHeaderBytes;
    } else if (magic == kVersionCoff1 || magic == kVersionCoff2) {
        if (!TargetFitsFamily(ReadLe16(&bytes[20]), deviceType)) return CoffResult::DeviceMismatch;
        header.layout = magic == kVersionCoff1 ? CoffLayout::Coff1 : CoffLayout::Coff2;
        header.headerEnd = kFileHeaderBytes;
    } else {
        return CoffResult::NotCoff;
    }
    header.sectionCount = ReadLe16(&bytes[2]);
    header.symbolTableOffset = ReadLe32(&bytes[8]);
    header.symbolCount = ReadLe32(&bytes[12]);
    header.optionalHeaderSize = ReadLe16(&bytes[16]);
    return CoffResult::Ok;
}

size_t SectionHeaderBytes(CoffLayout layout) { return layout == CoffLayout::Coff2 ? 48 : 40; }

CoffSectionHeader ParseSectionHeader(const uint8_t* bytes, CoffLayout layout) {
    CoffSectionHeader section;
    for (size_t i = 0; i < section.nameField.size(); ++i) section.nameField[i] = bytes[i];
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

bool HasInlineName(const CoffSectionHeader& section) { return ReadLe32(section.nameField.data()) != 0; }

std::string InlineName(const CoffSectionHeader& section) {
    std::string name;
    for (uint8_t c : section.nameField) {
        if (c == 0) break;
        name.push_back(static_cast<char>(c));
    }
    return name;
}

uint32_t StringTableNameOffset(const CoffSectionHeader& section) { return ReadLe32(section.nameField.data() + 4); }

}  // namespace nembra
