#pragma once
#include <string>

#include <nlohmann/json.hpp>

#include "status/Outcome.h"

namespace nembra::station {

// How a run on a pod (or a command of the tool) ended: its final line,
// whether it is information, and what else there is to say.
struct RunOutcome {
    bool ok = false;
    std::string message;
    bool messageIsError = true;  // the final line's severity
    std::string report;          // inspect: the human-readable image report
    std::string hint;            // a line of advice after a failure, for stderr
    std::string followUp;        // an error after the operation's own final line
    StepOutcome failure;         // the failing step, its cause and where
    nlohmann::ordered_json data = nlohmann::ordered_json::object();
};

}  // namespace nembra::station
