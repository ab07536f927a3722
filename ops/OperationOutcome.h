#pragma once
#include <optional>
#include <string>

#include "pod/TargetSequences.h"
#include "status/Outcome.h"

namespace nembra {

// What one operation came to: its final line exactly as the message line
// shows it and, beside it, whether it succeeded, the failing step with its
// cause and where, and for a Target Write whose sequence ran, the result
// code. Front-ends decide from this, never from the line.
struct OperationOutcome {
    bool ok = false;
    std::string line;
    bool lineIsError = true;
    StepOutcome failure;
    std::optional<TargetWriteResult> targetWriteResult;

    static OperationOutcome Succeeded(std::string line) { return {true, std::move(line), false, {}, std::nullopt}; }
    static OperationOutcome Failed(std::string line, StepOutcome failure) {
        return {false, std::move(line), true, std::move(failure), std::nullopt};
    }
};

}  // namespace nembra
