#include "station/GangRun.h"

#include <thread>

#include "station/PodFilePath.h"
#include "status/QuietStatus.h"

namespace nembra::station {
namespace {

// Each pod writes its own trace and target memory file.
PodRequest OwnRequest(const PodRequest& request, const std::string& serial) {
    PodRequest own = request;
    if (!own.tracePath.empty()) own.tracePath = PodFilePath(own.tracePath, serial);
    if (!own.targetHexPath.empty()) own.targetHexPath = PodFilePath(own.targetHexPath, serial);
    return own;
}

struct PodWork {
    const PodRequest& request;
    PodBackend& backend;
    const ProgramImage* image;
    size_t index;
};

// A pod that fails once a stop is asked for was stopped before it completed.
void RunOne(const PodWork& work, const StopRequest& stop, const StatusFactory& factory, const PodDone& done,
            PodResult& result) {
    {
        std::unique_ptr<StatusSink> status = factory ? factory(work.index, work.backend.opsClock()) : nullptr;
        QuietStatus quiet;
        result.outcome =
            RunPod(work.request, work.backend, status != nullptr ? *status : quiet, work.image, result.facts);
    }
    result.unfinished = stop.requested() && !result.outcome.ok;
    if (done) done(work.index, result);
}

}  // namespace

std::vector<PodResult> RunPodsAtOnce(const PodRequest& request, PodStation& station,
                                     const std::vector<std::string>& serials,
                                     const std::vector<const ProgramImage*>& images, const StopRequest& stop,
                                     const StatusFactory& status, const PodDone& done) {
    std::vector<std::unique_ptr<PodBackend>> backends;
    std::vector<PodRequest> requests;
    for (const std::string& serial : serials) {
        backends.push_back(station.Backend(serial, &stop));
        requests.push_back(OwnRequest(request, serial));
    }
    std::vector<PodResult> pods(serials.size());
    std::vector<std::thread> threads;
    for (size_t i = 0; i < serials.size(); ++i) {
        pods[i].serial = serials[i];
        if (backends[i] == nullptr) {
            pods[i].outcome = NoPodOutcome(serials[i]);
            continue;
        }
        const ProgramImage* image = i < images.size() ? images[i] : nullptr;
        threads.emplace_back([&, image, i] {
            RunOne({requests[i], *backends[i], image, i}, stop, status, done, pods[i]);
        });
    }
    for (std::thread& thread : threads) thread.join();
    return pods;
}

std::string UnfinishedLine(const std::vector<PodResult>& pods) {
    std::vector<std::string> serials;
    for (const PodResult& pod : pods)
        if (pod.unfinished) serials.push_back(pod.serial);
    if (serials.empty()) return {};
    // One pod found by its description, whose serial number the driver did not tell.
    if (serials.size() == 1 && serials.front().empty()) return "Stopped: the board was left unfinished";
    std::string line = "Stopped: the board";
    line += serials.size() == 1 ? " on " : "s on ";
    for (size_t i = 0; i < serials.size(); ++i) line += (i == 0 ? "" : ", ") + serials[i];
    line += serials.size() == 1 ? " was left unfinished" : " were left unfinished";
    return line;
}

}  // namespace nembra::station
