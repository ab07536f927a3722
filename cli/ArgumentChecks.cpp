#include "cli/ArgumentChecks.h"

#include <algorithm>
#include <cctype>

#include "image/LoadCoffFile.h"
#include "station/CsmKeyFile.h"

namespace nembra::cli {

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
        if (!key.empty() && !station::IsCsmKeyText(key)) {
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
