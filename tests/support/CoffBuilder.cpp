#include "tests/support/CoffBuilder.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <system_error>

namespace nembra::testing {
namespace {

void Put16(std::vector<uint8_t>& out, size_t at, uint32_t value) {
    out[at] = static_cast<uint8_t>(value);
    out[at + 1] = static_cast<uint8_t>(value >> 8);
}

void Put32(std::vector<uint8_t>& out, size_t at, uint32_t value) {
    Put16(out, at, value & 0xFFFF);
    Put16(out, at + 2, value >> 16);
}

size_t FileHeaderBytes(CoffFormat format) { return format == CoffFormat::Coff0 ? 20 : 22; }
size_t SectionHeaderBytes(CoffFormat format) { return format == CoffFormat::Coff2 ? 48 : 40; }

uint16_t VersionId(const CoffFilePlan& coff) {
    if (coff.versionId) return *coff.versionId;
    switch (coff.format) {
        case CoffFormat::Coff0: return coff.targetId;
        case CoffFormat::Coff1: return 0x00C1;
        case CoffFormat::Coff2: return 0x00C2;
    }
    return 0x00C2;
}

bool NameGoesToTable(const CoffSectionPlan& section) {
    return section.nameInStringTable || section.name.size() > 8 || section.nameOffset.has_value();
}

void WriteFileHeader(std::vector<uint8_t>& out, const CoffFilePlan& coff, uint32_t symbolTable) {
    Put16(out, 0, VersionId(coff));
    Put16(out, 2, coff.sectionCount.value_or(static_cast<uint16_t>(coff.sections.size())));
    Put32(out, 8, coff.symbolTableOffset.value_or(symbolTable));
    Put32(out, 12, coff.symbolCount);
    Put16(out, 16, coff.optionalHeaderSize);
    if (coff.format != CoffFormat::Coff0) Put16(out, 20, coff.targetId);
}

void WriteName(std::vector<uint8_t>& out, size_t at, const CoffSectionPlan& section, uint32_t tableOffset) {
    if (NameGoesToTable(section)) {
        Put32(out, at, 0);
        Put32(out, at + 4, section.nameOffset.value_or(tableOffset));
        return;
    }
    for (size_t i = 0; i < section.name.size(); ++i) out[at + i] = static_cast<uint8_t>(section.name[i]);
}

void WriteSectionHeader(std::vector<uint8_t>& out, size_t at, CoffFormat format, const CoffSectionPlan& section,
                        uint32_t rawData, uint32_t nameOffset) {
    WriteName(out, at, section, nameOffset);
    Put32(out, at + 8, section.address);
    Put32(out, at + 12, section.address);
    Put32(out, at + 16, section.sizeWords.value_or(static_cast<uint32_t>(section.words.size())));
    const uint32_t rawOffset = section.withRawData ? rawData : 0;
    Put32(out, at + 20, section.rawDataOffset.value_or(rawOffset));
    if (format == CoffFormat::Coff2) {
        Put32(out, at + 40, section.flags);
        Put16(out, at + 46, section.page);
    } else {
        Put16(out, at + 36, section.flags);
        out[at + 39] = static_cast<uint8_t>(section.page);
    }
}

}  // namespace

std::vector<uint8_t> BuildCoff(const CoffFilePlan& coff) {
    const size_t headersStart = FileHeaderBytes(coff.format) + (coff.optionalHeaderSize ? 28 : 0);
    size_t offset = headersStart + coff.sections.size() * SectionHeaderBytes(coff.format);
    std::vector<uint32_t> rawOffsets;
    for (const auto& section : coff.sections) {
        rawOffsets.push_back(static_cast<uint32_t>(offset));
        if (section.withRawData) offset += 2 * section.words.size();
    }
    const auto symbolTable = static_cast<uint32_t>(offset);
    offset += 18 * size_t{coff.symbolCount};

    std::vector<uint8_t> strings(4, 0);
    std::vector<uint32_t> nameOffsets;
    for (const auto& section : coff.sections) {
        nameOffsets.push_back(static_cast<uint32_t>(strings.size()));
        if (!NameGoesToTable(section)) continue;
        strings.insert(strings.end(), section.name.begin(), section.name.end());
        strings.push_back(0);
    }
    Put32(strings, 0, coff.stringTableLength.value_or(static_cast<uint32_t>(strings.size())));

    std::vector<uint8_t> out(offset, 0);
    WriteFileHeader(out, coff, symbolTable);
    for (size_t i = 0; i < coff.sections.size(); ++i) {
        const auto& section = coff.sections[i];
        WriteSectionHeader(out, headersStart + i * SectionHeaderBytes(coff.format), coff.format, section, rawOffsets[i],
                           nameOffsets[i]);
        if (!section.withRawData) continue;
        for (size_t w = 0; w < section.words.size(); ++w) Put16(out, rawOffsets[i] + 2 * w, section.words[w]);
    }
    if (coff.withStringTable) out.insert(out.end(), strings.begin(), strings.end());
    return out;
}

std::vector<uint16_t> Pattern(size_t count, uint16_t seed) {
    std::vector<uint16_t> words(count);
    for (size_t i = 0; i < count; ++i) words[i] = static_cast<uint16_t>(0x1000 + i * 3 + seed);
    return words;
}

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "nembra-test-XXXXXX").string();
    if (::mkdtemp(pattern.data())) path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
    const std::string file = (std::filesystem::path(path_) / name).string();
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return file;
}

}  // namespace nembra::testing
