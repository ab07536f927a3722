#include "ops/Operations.h"

namespace nembra {

namespace {

// The "H" that ends a store has no reply, so only a verify read back from
// the pod tells whether it kept the program; the line carries both results.
OperationOutcome RunPodWriteVerified(OperationContext& ctx) {
    const OperationOutcome written = RunPodWrite(ctx);
    if (!written.ok) return written;
    OperationOutcome verified = RunPodVerify(ctx);
    verified.line = written.line + "; " + verified.line;
    ctx.status.ShowMessage(verified.line, verified.lineIsError);
    return verified;
}

}  // namespace

OperationOutcome RunJob(OperationContext& ctx) {
    switch (ctx.job.command) {
        case JobCommand::TargetWrite: return RunTargetWrite(ctx);
        case JobCommand::TargetReset: return RunTargetReset(ctx);
        case JobCommand::Load: return RunLoad(ctx);
        case JobCommand::PodWrite: return ctx.job.verify ? RunPodWriteVerified(ctx) : RunPodWrite(ctx);
        case JobCommand::PodVerify: return RunPodVerify(ctx);
        case JobCommand::PodInfo: return RunPodInfo(ctx);
    }
    return RunPodInfo(ctx);
}

}  // namespace nembra
