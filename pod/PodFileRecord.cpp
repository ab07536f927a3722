#include <cstdio>

#include "pod/PodRecords.h"

namespace nembra {

std::string PodFileRecord::StoredName() const {
    std::string name;
    for (size_t i = 1; i <= 8 && bytes[i] != 0; ++i) name += static_cast<char>(bytes[i]);
    return name;
}

std::string PodFileRecord::StoredDate() const {
    const int year = (bytes[9] << 8) | bytes[10];
    char text[40];
    std::snprintf(text, sizeof text, "%04d.%02d.%02d %02d:%02d", year, bytes[11], bytes[12], bytes[13], bytes[14]);
    return text;
}

}  // namespace nembra
