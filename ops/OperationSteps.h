#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "image/LoadCoffFile.h"
#include "ops/ImageChecks.h"
#include "ops/Operations.h"

namespace nembra::op_steps {

// The image the operation works on: the shared one, else the session's.
const ProgramImage& Image(const OperationContext& ctx);

// Shows the outcome's line and returns the outcome.
OperationOutcome Shown(OperationContext& ctx, OperationOutcome outcome);
// A check that refused before the pod was touched, its line shown.
OperationOutcome Refused(OperationContext& ctx, const std::string& line, Step step, Cause cause);

// The checks before the pod is touched: nothing when the operation may go
// on, otherwise how it ended, its line shown.
using Refusal = std::optional<OperationOutcome>;
// Loads the job's file when no image is loaded; refuses when there is
// nothing to load or the load failed (with the load's own line).
Refusal EnsureImageLoaded(OperationContext& ctx, const char* emptyPathMessage);
// The image checks of ops/ImageChecks.h, the refusal's line shown.
Refusal CheckImage(OperationContext& ctx, const std::optional<ImageRefusal>& refusal);
// The connect, with its own line shown when it fails.
Refusal Connect(OperationContext& ctx);
// How an operation ends whose connect failed (its line already shown).
OperationOutcome ConnectFailed(OperationContext& ctx, const StepOutcome& connected);

// What a Load reads and changes, with the front-end's out-of-memory report.
LoadContext MakeLoadContext(OperationContext& ctx);
SequenceContext MakeSequenceContext(OperationContext& ctx);

// The frame around a pod sequence: the front-end told it is busy from
// construction on, the clock read at construction and by Elapsed(); the
// destructor closes the link, empties the bar and tells the front-end the
// sequence has ended, so this clean-up runs on every outcome.
class SequenceFrame {
public:
    explicit SequenceFrame(OperationContext& ctx);
    ~SequenceFrame();
    SequenceFrame(const SequenceFrame&) = delete;
    SequenceFrame& operator=(const SequenceFrame&) = delete;

    // Reads the clock again and gives the elapsed text.
    std::string Elapsed();

private:
    OperationContext& ctx_;
    bool startOk_ = false;
    uint32_t startMs_ = 0;
};

}  // namespace nembra::op_steps
