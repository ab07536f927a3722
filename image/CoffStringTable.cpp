#include "image/CoffStringTable.h"

#include <algorithm>

namespace nembra {

void CoffStringTable::Locate(std::span<const uint8_t> table) {
    table_ = table;
    scanned_ = false;
    terminatedBelow_ = 0;
}

bool CoffStringTable::NameAt(uint32_t offset, std::string_view& name) {
    // The table is searched for its last NUL once, when the first name needs it.
    if (!scanned_) {
        const auto lastNul = std::find(table_.rbegin(), table_.rend(), uint8_t{0});
        terminatedBelow_ = static_cast<size_t>(table_.rend() - lastNul);
        scanned_ = true;
    }
    if (offset >= terminatedBelow_) return false;
    const char* first = reinterpret_cast<const char*>(table_.data()) + offset;
    const size_t room = std::min(kLongestName, terminatedBelow_ - 1 - offset);
    name = std::string_view(first, static_cast<size_t>(std::find(first, first + room, '\0') - first));
    return true;
}

}  // namespace nembra
