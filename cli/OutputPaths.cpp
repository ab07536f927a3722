#include "cli/OutputPaths.h"

#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

namespace nembra::cli {
namespace {

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    if (std::filesystem::equivalent(a, b, ec)) return true;
    const auto canonicalA = std::filesystem::weakly_canonical(a, ec);
    if (ec) return false;
    const auto canonicalB = std::filesystem::weakly_canonical(b, ec);
    return !ec && canonicalA == canonicalB;
}

}  // namespace

bool OutputsCollide(const CliOptions& options, std::string& error) {
    std::vector<std::pair<std::string, std::string>> outputs;
    if (!options.outputPath.empty()) outputs.emplace_back("-o", options.outputPath);
    if (!options.tracePath.empty()) outputs.emplace_back("--trace", options.tracePath);
    if (!options.simTargetHexPath.empty()) outputs.emplace_back("--sim-target-hex", options.simTargetHexPath);
    if (!options.logPath.empty()) outputs.emplace_back("--log", options.logPath);
    std::vector<std::pair<std::string, std::string>> taken;
    if (!options.file.empty()) taken.emplace_back("FILE", options.file);
    if (options.sim && !options.simStatePath.empty()) taken.emplace_back("--sim", options.simStatePath);
    for (const auto& [option, path] : outputs) {
        for (const auto& [other, otherPath] : taken) {
            if (SameFile(path, otherPath)) {
                error = option + " " + path + " is the same file as " + other;
                return true;
            }
        }
        taken.emplace_back(option, path);
    }
    return false;
}

}  // namespace nembra::cli
