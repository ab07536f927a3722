#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace nembra {

// A COFF file's string table as its length field states it, so that section
// names never come from beyond the table.
class CoffStringTable {
public:
    // Longer names are kept cut to this many bytes: no linker makes them, and
    // a crafted file must not make every section cost the whole table.
    static constexpr size_t kLongestName = 256;

    // The table's bytes; its length counts its own four-byte length field.
    void Locate(std::span<const uint8_t> table);

    // The name at a table offset: up to its NUL, cut to kLongestName. False
    // when no NUL follows the offset within the table.
    bool NameAt(uint32_t offset, std::string_view& name);

private:
    std::span<const uint8_t> table_;
    bool scanned_ = false;
    // One past the table's last NUL: a name starting below it is terminated.
    size_t terminatedBelow_ = 0;
};

}  // namespace nembra
