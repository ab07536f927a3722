#include "ops/OperationSteps.h"

#include <cstdio>

#include "image/LoadCoffFile.h"
#include "ops/LineKeeper.h"
#include "status/Messages.h"

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
    const std::string path = ctx.sharedImage != nullptr ? std::string() : Trim(ctx.panel.FilePathText());
    if (path.empty()) return Refused(ctx, emptyPathMessage, Step::Check, Cause::NoFile);
    LineKeeper keeper(ctx.status);
    LoadContext load = MakeLoadContext(ctx, keeper);
    if (LoadCoffFile(load, path, true)) return std::nullopt;
    return OperationOutcome::Failed(keeper.line(), StepOutcome::Failed(Step::Load, LinkOutcome::Of(Cause::LoadFailed)));
}

LoadContext MakeLoadContext(OperationContext& ctx, StatusSink& status) {
    return LoadContext{
        ctx.session.image, ctx.session.deviceType, ctx.panel.SelectedDevice(), ctx.session.recentFiles, status, [&ctx] {
            ctx.panel.ShowOutOfMemoryBox();
        }};
}

Refusal CheckSectionData(OperationContext& ctx) {
    const ProgramImage& image = Image(ctx);
    if (image.sectionCount() > 0 && image.totalBytes != 0) return std::nullopt;
    return Refused(ctx, messages::kNoSectionData, Step::Check, Cause::NoSectionData);
}

Refusal CheckPodLimits(OperationContext& ctx) {
    const ProgramImage& image = Image(ctx);
    const bool f281x = IsF281x(ctx.session.deviceType);
    const int64_t sections = f281x ? image.flashSummary.flashSectionCount : image.sectionCount();
    const uint32_t bytes = f281x ? image.flashSummary.flashBytes : image.totalBytes;
    if (sections > kPodMaxSections) {
        char text[64];
        std::snprintf(text, sizeof text, messages::kSectionLimitFormat, kPodMaxSections);
        return Refused(ctx, text, Step::Check, Cause::TooManySections);
    }
    if (bytes > kPodMaxBytes) return Refused(ctx, messages::kTooMuchData, Step::Check, Cause::TooMuchData);
    return std::nullopt;
}

Refusal CheckFlashSectionForPod(OperationContext& ctx) {
    if (!IsF281x(ctx.session.deviceType) || Image(ctx).flashSummary.hasFlashSection) return std::nullopt;
    return Refused(ctx, messages::kNoFlashSection, Step::Check, Cause::NoFlashSection);
}

OperationOutcome ConnectFailed(OperationContext& ctx, const StepOutcome& connected) {
    OperationOutcome outcome = OperationOutcome::Failed(ConnectFailureLine(connected), connected);
    // A stop during the connect fails the open or the search as the driver
    // sees it; the line stays that of the failure, the cause is the stop.
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
    ctx_.panel.LockCommandButtons(true);
    ctx_.panel.SetBusyCursor(true);
    startOk_ = ctx_.clock.ReadMs(startMs_);
}

SequenceFrame::~SequenceFrame() {
    ctx_.session.link.ClosePod();
    ctx_.status.SetPos(0);
    ctx_.panel.SetBusyCursor(false);
    ctx_.panel.LockCommandButtons(false);
}

std::string SequenceFrame::Elapsed() {
    uint32_t endMs = 0;
    const bool endOk = ctx_.clock.ReadMs(endMs);
    return ElapsedText(startOk_, startMs_, endOk, endMs);
}

}  // namespace nembra::op_steps
