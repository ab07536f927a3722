#include "ops/OperationSteps.h"
#include "ops/Operations.h"
#include "status/Messages.h"

namespace nembra {

using namespace op_steps;

namespace {

struct F281xOptions {
    bool hasFlash = false;
    bool eraseAll = false;
    bool unlock = false;
};

TargetWriteOutcome RunSequence(OperationContext& ctx, const F281xOptions& options) {
    SequenceContext seq = MakeSequenceContext(ctx);
    if (!IsF281x(ctx.session.deviceType)) return ProgramLf240x(seq);
    return ProgramF281x(seq, options.hasFlash, options.eraseAll, options.unlock);
}

// The F281x options and, with unlock, the password; refused for an all-zero one.
Refusal ReadTargetOptions(OperationContext& ctx, F281xOptions& options) {
    if (!IsF281x(ctx.session.deviceType)) return std::nullopt;
    options = {Image(ctx).flashSummary.hasFlashSection, ctx.job.eraseAll, ctx.job.unlockCsm};
    if (options.unlock && !ReadCsmKeys(ctx))
        return Refused(ctx, messages::kWrongPassword, Step::Check, Cause::WrongPassword);
    return std::nullopt;
}

}  // namespace

const char* TargetWriteMessage(TargetWriteResult result) {
    switch (result) {
        case TargetWriteResult::Success: return messages::kFlashWriteDone;
        case TargetWriteResult::BootFailed: return messages::kBootFailed;
        case TargetWriteResult::DownloadFailed: return messages::kDownloadFailed;
        case TargetWriteResult::ResetFailed: return messages::kResetFailed;
        case TargetWriteResult::AlgorithmFailed: return messages::kAlgorithmFailed;
        case TargetWriteResult::FlashInitFailed: return messages::kFlashInitFailed;
        case TargetWriteResult::EraseFailed: return messages::kEraseFailed;
        case TargetWriteResult::WriteFailed: return messages::kFlashWriteFailed;
    }
    return messages::kFlashWriteFailed;
}

OperationOutcome RunTargetWrite(OperationContext& ctx) {
    ctx.session.csmKeyTable = kNoPassword;
    if (Refusal refused = EnsureImageLoaded(ctx, messages::kNoFileForTarget)) return *refused;
    if (Refusal refused = CheckImage(ctx, TargetWriteImageRefusal(Image(ctx)))) return *refused;
    F281xOptions options;
    if (Refusal refused = ReadTargetOptions(ctx, options)) return *refused;
    if (Refusal refused = Connect(ctx)) return *refused;
    SequenceFrame frame(ctx);
    const TargetWriteOutcome sequence = RunSequence(ctx, options);
    const std::string elapsed = frame.Elapsed();
    OperationOutcome outcome = sequence.result == TargetWriteResult::Success
                                   ? OperationOutcome::Succeeded(TargetWriteMessage(sequence.result) + elapsed)
                                   : OperationOutcome::Failed(TargetWriteMessage(sequence.result), sequence.failure);
    outcome.targetWriteResult = sequence.result;
    return Shown(ctx, std::move(outcome));
}

}  // namespace nembra
