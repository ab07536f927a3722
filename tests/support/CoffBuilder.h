#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace nembra::testing {

// TI's three header layouts, by the name of their version.
enum class CoffFormat { Coff0, Coff1, Coff2 };

struct CoffSectionPlan {
    std::string name;
    // Names longer than eight characters always go to the string table.
    bool nameInStringTable = false;
    uint32_t address = 0;
    std::vector<uint16_t> words;
    std::optional<uint32_t> sizeWords;      // the size field; default words.size()
    bool withRawData = true;                // false: raw-data offset 0
    std::optional<uint32_t> rawDataOffset;  // forced raw-data offset
    std::optional<uint32_t> nameOffset;     // forced string-table offset of the name
    uint32_t flags = 0;
    uint16_t page = 0;
};

struct CoffFilePlan {
    CoffFormat format = CoffFormat::Coff2;
    uint16_t targetId = 0x009D;
    std::optional<uint16_t> versionId;          // forced first half-word
    uint16_t optionalHeaderSize = 0;            // non-zero: 28 bytes follow
    std::optional<uint32_t> symbolTableOffset;  // default: where the builder puts it
    uint32_t symbolCount = 0;                   // entries written as zero bytes
    std::optional<uint16_t> sectionCount;       // default sections.size()
    std::optional<uint32_t> stringTableLength;  // forced length field
    bool withStringTable = true;
    std::vector<CoffSectionPlan> sections;
};

// A COFF file laid out as: file header, optional header, section headers,
// raw data in section order, symbol table, string table.
std::vector<uint8_t> BuildCoff(const CoffFilePlan& coff);

// Words 0x1000 + i * 3 + seed, distinct enough to catch misplaced data.
std::vector<uint16_t> Pattern(size_t count, uint16_t seed = 0);

// A fresh temporary folder, removed with everything in it on destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // Writes the bytes to a file of that name in the folder; returns its path.
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const;

private:
    std::string path_;
};

}  // namespace nembra::testing
