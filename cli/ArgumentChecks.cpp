#include "cli/ArgumentChecks.h"

#include <algorithm>
#include <cctype>

#include "image/LoadCoffFile.h"

namespace nembra::cli {
namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool IsHexKey(const std::string& key) {
    std::string digits = key;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) digits = digits.substr(2);
    if (digits.empty() || digits.size() > 4) return false;
    return std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isxdigit(c) != 0; });
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

bool ParseKeyList(const std::string& text, std::array<std::string, 8>& keys, std::string& error) {
    std::array<std::string, 8> parsed{};
    size_t count = 0;
    size_t start = 0;
    while (true) {
        const size_t comma = text.find(',', start);
        const std::string key =
            Trim(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (count == parsed.size()) {
            error = "--unlock needs exactly eight keys, KEY0 to KEY7, separated by commas";
            return false;
        }
        if (!key.empty() && !IsHexKey(key)) {
            error = "KEY" + std::to_string(count) + " \"" + key + "\" is not 1 to 4 hexadecimal digits";
            return false;
        }
        parsed[count++] = key;
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    if (count != parsed.size()) {
        error = "--unlock needs exactly eight keys, KEY0 to KEY7, separated by commas";
        return false;
    }
    keys = parsed;
    return true;
}

bool CheckPodName(const std::string& name, std::string& error) {
    const std::string trimmed = Trim(name);
    if (trimmed.size() > 8) {
        error = "--name \"" + trimmed + "\" is longer than the pod's 8 characters";
        return false;
    }
    const bool printable = std::all_of(trimmed.begin(), trimmed.end(), IsPodFileNameChar);
    if (!printable) {
        error = "--name may hold printable ASCII characters only";
        return false;
    }
    return true;
}

}  // namespace nembra::cli
