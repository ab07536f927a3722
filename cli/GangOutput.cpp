#include "cli/GangOutput.h"

#include <algorithm>
#include <cstdio>

#include "cli/HelpText.h"
#include "cli/OutcomeOutput.h"
#include "station/JsonText.h"

namespace nembra::cli {
namespace {

using station::PodResult;
using station::UnfinishedLine;

std::string Seconds(uint32_t ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f sec", ms / 1000.0);
    return text;
}

struct Summary {
    size_t succeeded = 0;
    uint32_t slowestMs = 0;
};

Summary Summarise(const std::vector<PodResult>& pods) {
    Summary summary;
    for (const PodResult& pod : pods) {
        if (pod.outcome.ok) ++summary.succeeded;
        summary.slowestMs = std::max(summary.slowestMs, pod.facts.elapsedMs);
    }
    return summary;
}

std::vector<std::string> Unfinished(const std::vector<PodResult>& pods) {
    std::vector<std::string> serials;
    for (const PodResult& pod : pods)
        if (pod.unfinished) serials.push_back(pod.serial);
    return serials;
}

void PrintJson(const CliOptions& options, const std::vector<PodResult>& pods, std::ostream& out) {
    const Summary summary = Summarise(pods);
    nlohmann::ordered_json json = {{"ok", summary.succeeded == pods.size()},
                                   {"command", CommandName(options.command)},
                                   {"device", DeviceInfo(options.device).cliName}};
    json["pods"] = nlohmann::ordered_json::array();
    for (const PodResult& pod : pods) {
        nlohmann::ordered_json one = {{"serial", pod.serial}};
        one.update(OutcomeJson(options, pod.outcome));
        one["elapsedMs"] = pod.facts.elapsedMs;
        json["pods"].push_back(one);
    }
    json["summary"] = {{"pods", pods.size()},
                       {"succeeded", summary.succeeded},
                       {"failed", pods.size() - summary.succeeded},
                       {"slowestMs", summary.slowestMs}};
    const std::vector<std::string> unfinished = Unfinished(pods);
    if (!unfinished.empty()) json["unfinished"] = unfinished;
    out << station::JsonText(json, 2) << "\n";
}

}  // namespace

void PrintGangOutcome(const CliOptions& options, const std::vector<PodResult>& pods, std::ostream& out,
                      std::ostream& err) {
    if (options.json) {
        PrintJson(options, pods, out);
    } else {
        for (const PodResult& pod : pods) {
            (pod.outcome.messageIsError ? err : out) << pod.serial << ": " << pod.outcome.message << "\n";
            if (!pod.outcome.followUp.empty()) err << pod.serial << ": " << pod.outcome.followUp << "\n";
        }
        const Summary summary = Summarise(pods);
        out << pods.size() << " pods: " << summary.succeeded << " succeeded, " << pods.size() - summary.succeeded
            << " failed, slowest " << Seconds(summary.slowestMs) << "\n";
    }
    std::string hints;
    for (const PodResult& pod : pods)
        if (!pod.outcome.hint.empty() && hints.find(pod.outcome.hint) == std::string::npos)
            hints += pod.outcome.hint + "\n";
    err << hints;
    const std::string stopped = UnfinishedLine(pods);
    if (!stopped.empty()) err << stopped << "\n";
    out.flush();
    err.flush();
}

}  // namespace nembra::cli
