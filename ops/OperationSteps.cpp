#include "ops/OperationSteps.h"

#include "image/LoadCoffFile.h"
#include "status/Messages.h"
#include "status/ProgressEvent.h"

namespace nembra::op_steps {

const ProgramImage& Image(const OperationContext& ctx) {
    return ctx.sharedImage != nullptr ? *ctx.sharedImage : ctx.session.image;
}

OperationOutcome Shown(OperationContext& ctx, OperationOutcome outcome) {
    ctx.status.ShowMessage(outcome.line, outcome.lineIsError);
    return outcome;
}

OperationOutcome Refused(OperationContext& ctx, const std::string& line, Step step, Cause cause) {
    return Shown(ctx, OperationOutcome::Failed(line, StepOutcome::Failed(step, LinkOutcome::Of(cause))));
}

Refusal EnsureImageLoaded(OperationContext& ctx, const char* emptyPathMessage) {
    if (Image(ctx).imageLoaded) return std::nullopt;
    const std::string path = ctx.sharedImage != nullptr ? std::string() : Trim(ctx.job.filePath);
    if (path.empty()) return Refused(ctx, emptyPathMessage, Step::Check, Cause::NoFile);
    LoadContext load = MakeLoadContext(ctx);
    const LoadResult loaded = LoadCoffFile(load, path, true);
    if (loaded) return std::nullopt;
    return OperationOutcome::Failed(loaded.line, StepOutcome::Failed(Step::Load, LinkOutcome::Of(Cause::LoadFailed)));
}

LoadContext MakeLoadContext(OperationContext& ctx) {
    return LoadContext{
        ctx.session.image, ctx.session.deviceType, ctx.job.device, ctx.session.recentFiles, ctx.status, [&ctx] {
            if (ctx.events != nullptr) ctx.events->OutOfMemory();
        }};
}

Refusal CheckImage(OperationContext& ctx, const std::optional<ImageRefusal>& refusal) {
    if (!refusal) return std::nullopt;
    return Refused(ctx, refusal->line, Step::Check, refusal->cause);
}

OperationOutcome ConnectFailed(OperationContext& ctx, const StepOutcome& connected) {
    OperationOutcome outcome = OperationOutcome::Failed(ConnectFailureLine(connected), connected);
    // A stopped link finds no pod or fails the open; the line stays that of
    // the failure, the cause is the stop.
    if (ctx.session.link.StopRequested()) outcome.failure.link = LinkOutcome::Of(Cause::Stopped);
    return outcome;
}

Refusal Connect(OperationContext& ctx) {
    const StepOutcome connected = ConnectPod(ctx);
    if (connected) return std::nullopt;
    return ConnectFailed(ctx, connected);
}

SequenceContext MakeSequenceContext(OperationContext& ctx) {
    return SequenceContext{ctx.session.link, Image(ctx), ctx.session.deviceType, ctx.session.csmKeyTable, ctx.status};
}

SequenceFrame::SequenceFrame(OperationContext& ctx) : ctx_(ctx) {
    if (ctx_.events != nullptr) ctx_.events->SequenceBusy(true);
    startOk_ = ctx_.clock.ReadMs(startMs_);
}

SequenceFrame::~SequenceFrame() {
    ctx_.session.link.ClosePod();
    ctx_.status.Progress(ProgressEvent{});
    if (ctx_.events != nullptr) ctx_.events->SequenceBusy(false);
}

std::string SequenceFrame::Elapsed() {
    uint32_t endMs = 0;
    const bool endOk = ctx_.clock.ReadMs(endMs);
    return ElapsedText(startOk_, startMs_, endOk, endMs);
}

}  // namespace nembra::op_steps
