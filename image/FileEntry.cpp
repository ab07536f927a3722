#include <filesystem>
#include <system_error>

#include "image/LoadCoffFile.h"

namespace nembra {

// A directory or device is not a program file, so only regular files (links
// followed) count; anything else reads as "does not exist".
bool FindFileEntry(const std::string& path, std::string& storedName) {
    if (path.empty()) return false;
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (error || !std::filesystem::is_regular_file(status)) return false;
    storedName = std::filesystem::path(path).filename().string();
    return !storedName.empty();
}

}  // namespace nembra
