#include "station/DeviceNames.h"

#include <algorithm>
#include <cctype>

#include "image/LoadCoffFile.h"

namespace nembra::station {
namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

}  // namespace

bool ParseDeviceName(const std::string& text, DeviceType& device) {
    const std::string wanted = Lower(Trim(text));
    for (size_t i = 0; i < kDevices.size(); ++i) {
        if (wanted == kDevices[i].cliName || wanted == std::to_string(i)) {
            device = static_cast<DeviceType>(i);
            return true;
        }
    }
    return false;
}

std::string DeviceNameList() {
    std::string list;
    for (const auto& entry : kDevices) {
        if (!list.empty()) list += ", ";
        list += entry.cliName;
    }
    return list + " (or 0-4)";
}

}  // namespace nembra::station
