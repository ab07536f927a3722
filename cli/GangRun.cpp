#include "cli/GangRun.h"

#include <memory>
#include <thread>

#include "cli/ConsoleStatus.h"
#include "cli/OutputPaths.h"

namespace nembra::cli {
namespace {

// Each pod writes its own trace and target memory file.
CliOptions PodOptions(const CliOptions& options, const std::string& serial) {
    CliOptions own = options;
    if (!own.tracePath.empty()) own.tracePath = PodFilePath(own.tracePath, serial);
    if (!own.simTargetHexPath.empty()) own.simTargetHexPath = PodFilePath(own.simTargetHexPath, serial);
    return own;
}

}  // namespace

std::vector<PodResult> RunPodsAtOnce(const CliOptions& options, PodStation& station,
                                     const std::vector<std::string>& serials, const ProgramImage* image,
                                     const StopRequest& stop, GangBoard* board) {
    return RunPodsAtOnce(options, station, serials, std::vector<const ProgramImage*>(serials.size(), image), stop,
                         board);
}

std::vector<PodResult> RunPodsAtOnce(const CliOptions& options, PodStation& station,
                                     const std::vector<std::string>& serials,
                                     const std::vector<const ProgramImage*>& images, const StopRequest& stop,
                                     GangBoard* board) {
    std::vector<std::unique_ptr<PodBackend>> backends;
    for (const std::string& serial : serials) backends.push_back(station.Backend(serial, &stop));
    std::vector<PodResult> pods(serials.size());
    std::vector<CliOptions> podOptions;
    for (const std::string& serial : serials) podOptions.push_back(PodOptions(options, serial));
    std::vector<std::thread> threads;
    for (size_t i = 0; i < serials.size(); ++i) {
        pods[i].serial = serials[i];
        if (backends[i] == nullptr) {
            pods[i].outcome = NoPodOutcome(serials[i]);
            continue;
        }
        threads.emplace_back([&podOptions, &pods, &backends, image = images[i], board, i] {
            PodBackend& backend = *backends[i];
            ConsoleStatus::LineDrawer draw = nullptr;
            if (board != nullptr) draw = [board, i](const std::string& line) { board->Draw(i, line); };
            ConsoleStatus status(draw, backend.opsClock(), board != nullptr ? board->lineColumns() : 80);
            pods[i].outcome = RunPodCommand(podOptions[i], backend, status, image, pods[i].facts);
        });
    }
    for (std::thread& thread : threads) thread.join();
    return pods;
}

}  // namespace nembra::cli
