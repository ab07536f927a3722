#include "cli/PodInfoJson.h"

#include <cstdio>
#include <string>

namespace nembra::cli {
namespace {

std::string StoredName(const PodFileRecord& record) {
    std::string name;
    for (size_t i = 1; i <= 8 && record.bytes[i] != 0; ++i) name += static_cast<char>(record.bytes[i]);
    return name;
}

std::string StoredDate(const PodFileRecord& record) {
    const auto& b = record.bytes;
    char text[64];
    std::snprintf(text, sizeof text, "%04d.%02d.%02d %02d:%02d", b[9] * 256 + b[10], b[11], b[12], b[13], b[14]);
    return text;
}

}  // namespace

nlohmann::ordered_json PodInfoJson(uint16_t firmwareVersion, const PodFileRecord& record) {
    nlohmann::ordered_json podFile = nullptr;
    if (record.stored()) podFile = {{"name", StoredName(record)}, {"date", StoredDate(record)}};
    return {{"firmwareVersion", firmwareVersion},
            {"podVersion", std::to_string(firmwareVersion / 10) + "." + std::to_string(firmwareVersion % 10)},
            {"podFile", podFile}};
}

}  // namespace nembra::cli
