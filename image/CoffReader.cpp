#include "image/CoffReader.h"

#include <array>
#include <new>
#include <string_view>

#include "image/CoffFile.h"
#include "image/CoffHeaders.h"
#include "image/CoffStringTable.h"

namespace nembra {
namespace {

// Section flags that mark data that is never loaded: DSECT, NOLOAD, COPY.
constexpr uint32_t kUnloadedFlags = 0x01 | 0x02 | 0x10;
// Positions beyond this were refused by the original's signed 32-bit seek.
constexpr uint64_t kLargestSeek = 0x7FFFFFFF;

constexpr std::array<std::string_view, 5> kF281xDroppedNames{"CsmPwlFile", ".debug_frame", ".debug_abbrev",
                                                             ".debug_info", ".debug_line"};

struct ReadState {
    CoffFile& file;
    DeviceType deviceType;
    ProgramImage& image;
    CoffFileHeader header;
    uint64_t sectionStart = 0;
    CoffStringTable strings;
    uint32_t storeBytes = 0;
};

CoffResult FromRead(CoffFile::Read read) {
    switch (read) {
        case CoffFile::Read::Ok: return CoffResult::Ok;
        case CoffFile::Read::PastEnd: return CoffResult::NotCoff;
        case CoffFile::Read::Refused: return CoffResult::FileError;
    }
    return CoffResult::FileError;
}

// Header, optional header and string table checks; nothing in the image is
// touched until all of them pass.
CoffResult CheckHeaders(ReadState& state) {
    if (state.file.size() < kFileHeaderBytes) return CoffResult::NotCoff;
    std::array<uint8_t, kFileHeaderBytes> bytes{};
    if (auto r = FromRead(state.file.ReadAt(0, bytes.data(), bytes.size())); r != CoffResult::Ok) return r;
    if (auto r = ParseFileHeader(bytes, state.deviceType, state.header); r != CoffResult::Ok) return r;

    uint64_t position = state.header.headerEnd;
    if (state.header.optionalHeaderSize != 0) {
        if (state.file.size() - position < kOptionalHeaderBytes) return CoffResult::NotCoff;
        position += kOptionalHeaderBytes;
    }
    state.sectionStart = position;

    const uint32_t stringTable = state.header.symbolTableOffset + kSymbolEntryBytes * state.header.symbolCount;
    if (stringTable > kLargestSeek) return CoffResult::FileError;

    std::array<uint8_t, 4> length{};
    if (auto r = FromRead(state.file.ReadAt(stringTable, length.data(), length.size())); r != CoffResult::Ok) return r;
    if (uint64_t{stringTable} + ReadLe32(length.data()) > state.file.size()) return CoffResult::NotCoff;
    state.strings.Locate(stringTable, ReadLe32(length.data()));
    return CoffResult::Ok;
}

// The name stays a view into the header or the string table until the
// section is kept, so a skipped section costs no copy.
CoffResult ResolveName(ReadState& state, const CoffSectionHeader& section, std::string& inlineName,
                       std::string_view& name) {
    if (HasInlineName(section)) {
        inlineName = InlineName(section);
        name = inlineName;
    } else if (auto r = FromRead(state.strings.NameAt(state.file, StringTableNameOffset(section), name));
               r != CoffResult::Ok) {
        return r;
    }
    // The C compiler prefixes one underscore; only that one is dropped.
    if (!name.empty() && name.front() == '_') name.remove_prefix(1);
    return CoffResult::Ok;
}

bool IsDroppedName(std::string_view name, DeviceType deviceType) {
    if (name == ".stack") return true;
    if (!IsF281x(deviceType)) return false;
    for (std::string_view dropped : kF281xDroppedNames)
        if (name == dropped) return true;
    return false;
}

bool IsSkipped(const CoffSectionHeader& section, std::string_view name, DeviceType deviceType) {
    if (section.wordCount == 0 || section.rawDataOffset == 0) return true;
    if (section.flags & kUnloadedFlags) return true;
    if (!IsF281x(deviceType) && section.page != 0) return true;
    return IsDroppedName(name, deviceType);
}

CoffResult KeepSection(ReadState& state, const CoffSectionHeader& header, std::string name) {
    const uint64_t bytes = 2 * uint64_t{header.wordCount};
    if (state.storeBytes + bytes > kImageStoreBytes) return CoffResult::TooLarge;
    // Missing data would be programmed as 0xFFFF without a word of warning.
    if (header.rawDataOffset + bytes > state.file.size()) return CoffResult::NotCoff;

    ImageSection section;
    section.name = std::move(name);
    section.address = header.virtualAddress;
    section.wordCount = header.wordCount;
    section.dataOffset = state.storeBytes;
    section.storeOffset = state.storeBytes;
    MarkFlashRegion(section, state.deviceType);

    uint8_t* target = state.image.store() + state.storeBytes;
    const auto read = state.file.ReadAt(header.rawDataOffset, target, static_cast<size_t>(bytes));
    if (auto r = FromRead(read); r != CoffResult::Ok) return r;
    state.storeBytes += static_cast<uint32_t>(bytes);
    state.image.sections.push_back(std::move(section));
    return CoffResult::Ok;
}

CoffResult ReadSection(ReadState& state, uint32_t index) {
    const size_t headerBytes = SectionHeaderBytes(state.header.layout);
    std::array<uint8_t, kLargestSectionHeaderBytes> bytes{};
    const uint64_t at = state.sectionStart + uint64_t{index} * headerBytes;
    if (auto r = FromRead(state.file.ReadAt(at, bytes.data(), headerBytes)); r != CoffResult::Ok) return r;
    const CoffSectionHeader header = ParseSectionHeader(bytes.data(), state.header.layout);

    std::string inlineName;
    std::string_view name;
    if (auto r = ResolveName(state, header, inlineName, name); r != CoffResult::Ok) return r;
    if (IsSkipped(header, name, state.deviceType)) return CoffResult::Ok;
    return KeepSection(state, header, std::string(name));
}

CoffResult ReadSections(ReadState& state) {
    try {
        for (uint32_t i = 0; i < state.header.sectionCount; ++i)
            if (auto r = ReadSection(state, i); r != CoffResult::Ok) return r;
    } catch (const std::bad_alloc&) {
        return CoffResult::MemoryError;
    }
    if (!state.image.sections.empty()) state.image.totalBytes = state.storeBytes;
    return CoffResult::Ok;
}

}  // namespace

CoffResult ReadCoffFile(const std::string& path, DeviceType deviceType, ProgramImage& image) {
    CoffFile file;
    if (!file.Open(path)) return CoffResult::OpenFailed;
    ReadState state{file, deviceType, image, {}, 0, {}, 0};
    if (auto r = CheckHeaders(state); r != CoffResult::Ok) return r;
    ClearImage(image, deviceType);
    return ReadSections(state);
}

}  // namespace nembra
