#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "image/CoffFile.h"

namespace nembra {

// A COFF file's string table, read whole with its stated length the first
// time a name is needed, so that section names come from memory and never
// from beyond the table.
class CoffStringTable {
public:
    // Longer names are kept cut to this many bytes: no linker makes them, and
    // a crafted file must not make every section cost the whole table.
    static constexpr size_t kLongestName = 256;

    // Where the table lies; its length counts its own four-byte length field.
    void Locate(uint64_t offset, uint32_t length);

    // The name at a table offset: up to its NUL, cut to kLongestName. PastEnd
    // when no NUL follows the offset within the table.
    CoffFile::Read NameAt(CoffFile& file, uint32_t offset, std::string_view& name);

private:
    CoffFile::Read Load(CoffFile& file);

    uint64_t offset_ = 0;
    uint32_t length_ = 0;
    bool loaded_ = false;
    std::vector<char> bytes_;
    // One past the table's last NUL: a name starting below it is terminated.
    size_t terminatedBelow_ = 0;
};

}  // namespace nembra
