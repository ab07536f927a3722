#pragma once
#include <string>

#include "ops/Job.h"
#include "ops/OperationEvents.h"
#include "ops/OperationOutcome.h"
#include "ops/OpsClock.h"
#include "ops/Session.h"
#include "pod/TargetSequences.h"
#include "status/StatusSink.h"

namespace nembra {

// Everything an operation reads and changes.
struct OperationContext {
    Session& session;
    const Job& job;
    StatusSink& status;
    OpsClock& clock;
    // An image loaded once for several pods and read by all of them, in the
    // place of the session's own; null: the session's image, loaded on demand.
    const ProgramImage* sharedImage = nullptr;
    // Told what the operation changes in the front-end as it runs; null: nobody.
    OperationEvents* events = nullptr;
};

// Success, or the connect step with why it failed: no driver, no pod, the
// port, or what the identify frame came to; its line is shown already.
StepOutcome ConnectPod(OperationContext& ctx);
// The line a failed connect shows.
const char* ConnectFailureLine(const StepOutcome& failure);

// Each operation shows its final line, as the window's button does, and
// returns what it came to.
OperationOutcome RunTargetReset(OperationContext& ctx);
OperationOutcome RunPodInfo(OperationContext& ctx);
OperationOutcome RunLoad(OperationContext& ctx);  // the Load button
OperationOutcome RunTargetWrite(OperationContext& ctx);
OperationOutcome RunPodWrite(OperationContext& ctx);
OperationOutcome RunPodVerify(OperationContext& ctx);
// The job's command; a POD Write with `verify` is followed by a POD Verify
// when it succeeded, and its line carries both results.
OperationOutcome RunJob(OperationContext& ctx);

// Fills session.csmKeyTable from the job's keys; false for an all-zero password.
bool ReadCsmKeys(OperationContext& ctx);
// A key field's text read as the front-ends read it into a job: trimmed, empty -> 0xFFFF,
// otherwise hexadecimal with optional sign and 0x prefix, low 16 bits.
uint16_t ParseKeyText(const std::string& text);
// "%.2f sec" of the unsigned difference; empty when a clock read failed.
std::string ElapsedText(bool startOk, uint32_t startMs, bool endOk, uint32_t endMs);
// The final line for a sequence result.
const char* TargetWriteMessage(TargetWriteResult result);

inline constexpr int kPodMaxSections = 70;
inline constexpr uint32_t kPodMaxBytes = 0x80000;

}  // namespace nembra
