#include "cli/OutputPaths.h"

#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

#include "station/PodFilePath.h"
#include "station/PodStation.h"

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

using NamedPaths = std::vector<std::pair<std::string, std::string>>;

// What the command reads or keeps: the program file and the simulated stores.
NamedPaths KeptFiles(const CliOptions& options) {
    NamedPaths kept;
    if (!options.file.empty()) kept.emplace_back("FILE", options.file);
    if (!options.sim || options.simStatePath.empty()) return kept;
    kept.emplace_back("--sim", options.simStatePath);
    for (int n = 1; n <= options.simPods; ++n) {
        const std::string serial = station::SimPodSerial(n);
        kept.emplace_back("the store of " + serial, station::SimPodStorePath(options.simStatePath, serial));
    }
    return kept;
}

void AddPerPod(NamedPaths& outputs, const char* option, const std::string& path,
               const std::vector<std::string>& podSerials) {
    if (path.empty()) return;
    if (podSerials.size() < 2) {
        outputs.emplace_back(option, path);
        return;
    }
    for (const std::string& serial : podSerials) outputs.emplace_back(option, station::PodFilePath(path, serial));
}

}  // namespace

bool OutputsCollide(const CliOptions& options, std::string& error) { return OutputsCollide(options, {}, error); }

bool OutputsCollide(const CliOptions& options, const std::vector<std::string>& podSerials, std::string& error) {
    NamedPaths outputs;
    if (!options.outputPath.empty()) outputs.emplace_back("-o", options.outputPath);
    AddPerPod(outputs, "--trace", options.tracePath, podSerials);
    AddPerPod(outputs, "--sim-target-hex", options.simTargetHexPath, podSerials);
    if (!options.logPath.empty()) outputs.emplace_back("--log", options.logPath);
    NamedPaths taken = KeptFiles(options);
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
