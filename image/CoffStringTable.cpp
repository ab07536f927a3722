#include "image/CoffStringTable.h"

#include <algorithm>

namespace nembra {

void CoffStringTable::Locate(uint64_t offset, uint32_t length) {
    offset_ = offset;
    length_ = length;
    loaded_ = false;
    bytes_.clear();
    terminatedBelow_ = 0;
}

CoffFile::Read CoffStringTable::Load(CoffFile& file) {
    bytes_.assign(length_, '\0');
    if (auto read = file.ReadAt(offset_, bytes_.data(), bytes_.size()); read != CoffFile::Read::Ok) return read;
    const auto lastNul = std::find(bytes_.rbegin(), bytes_.rend(), '\0');
    terminatedBelow_ = static_cast<size_t>(bytes_.rend() - lastNul);
    loaded_ = true;
    return CoffFile::Read::Ok;
}

CoffFile::Read CoffStringTable::NameAt(CoffFile& file, uint32_t offset, std::string_view& name) {
    if (!loaded_)
        if (auto read = Load(file); read != CoffFile::Read::Ok) return read;
    if (offset >= terminatedBelow_) return CoffFile::Read::PastEnd;
    const char* first = bytes_.data() + offset;
    const size_t room = std::min(kLongestName, terminatedBelow_ - 1 - offset);
    name = std::string_view(first, static_cast<size_t>(std::find(first, first + room, '\0') - first));
    return CoffFile::Read::Ok;
}

}  // namespace nembra
