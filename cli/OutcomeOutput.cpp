#include "cli/OutcomeOutput.h"

#include <nlohmann/json.hpp>

#include "cli/HelpText.h"
#include "station/FailureFields.h"
#include "station/JsonText.h"

namespace nembra::cli {

nlohmann::ordered_json OutcomeJson(const CliOptions& options, const CommandOutcome& outcome) {
    nlohmann::ordered_json json = {{"ok", outcome.ok},
                                   {"message", outcome.message},
                                   {"command", CommandName(options.command)},
                                   {"device", DeviceInfo(options.device).cliName}};
    json.update(station::FailureFields(outcome.failure));
    if (!outcome.followUp.empty()) json["error"] = outcome.followUp;
    if (!outcome.hint.empty()) json["hint"] = outcome.hint;
    json.update(outcome.data);
    return json;
}

void PrintOutcome(const CliOptions& options, const CommandOutcome& outcome, std::ostream& out, std::ostream& err) {
    if (options.json) {
        out << station::JsonText(OutcomeJson(options, outcome), 2) << "\n";
    } else {
        out << outcome.report;
        (outcome.messageIsError ? err : out) << outcome.message << "\n";
    }
    if (!outcome.followUp.empty() && !options.json) err << outcome.followUp << "\n";
    if (!outcome.hint.empty()) err << outcome.hint << "\n";
    out.flush();
    err.flush();
}

void PrintUsageError(const std::string& reason, bool json, std::ostream& out, std::ostream& err) {
    if (json) {
        out << station::JsonText({{"ok", false}, {"message", reason}, {"usageError", true}}, 2) << "\n";
        return;
    }
    err << kToolName << ": " << reason << "\n"
        << "Run '" << kToolName << " --help' for more information.\n";
}

}  // namespace nembra::cli
