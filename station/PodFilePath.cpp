#include "station/PodFilePath.h"

#include <filesystem>

namespace nembra::station {

std::string PodFilePath(const std::string& path, const std::string& serial) {
    const std::filesystem::path whole(path);
    std::filesystem::path name = whole.stem();
    name += "." + serial;
    name += whole.extension();
    return (whole.parent_path() / name).string();
}

}  // namespace nembra::station
