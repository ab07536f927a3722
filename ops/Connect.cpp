#include <string>

#include "ops/Operations.h"
#include "status/Messages.h"

namespace nembra {

namespace {

StepOutcome ConnectFailed(OperationContext& ctx, LinkOutcome why) {
    const StepOutcome failure = StepOutcome::Failed(Step::Connect, why);
    ctx.status.ShowMessage(ConnectFailureLine(failure), true);
    return failure;
}

// Another program on this host holds the pod: the gate's sentence, as a line.
StepOutcome ClaimRefused(OperationContext& ctx, std::string refusal) {
    if (!refusal.empty() && refusal.front() >= 'a' && refusal.front() <= 'z') refusal.front() -= 'a' - 'A';
    ctx.status.ShowMessage(refusal, true);
    return StepOutcome::Failed(Step::Connect, LinkOutcome::Of(Cause::PortFailed));
}

}  // namespace

const char* ConnectFailureLine(const StepOutcome& failure) {
    switch (failure.cause()) {
        case Cause::None: return "";
        case Cause::NoDriver: return messages::kNoDriver;
        case Cause::NoPod: return messages::kNoPod;
        case Cause::PortFailed: return messages::kPortFailed;
        default: return messages::kPodSilent;  // the identify frame's own cause
    }
}

StepOutcome ConnectPod(OperationContext& ctx) {
    PodLink& link = ctx.session.link;
    // Only a close the driver refused leaves the link open; it is used as is.
    if (link.connected()) return StepOutcome::Success();
    if (link.driverLibrary() == nullptr) return ConnectFailed(ctx, LinkOutcome::Of(Cause::NoDriver));
    if (!link.FindPod()) return ConnectFailed(ctx, LinkOutcome::Of(Cause::NoPod));
    switch (link.OpenPod()) {
        case OpenResult::Opened: return StepOutcome::Success();
        case OpenResult::PodSilent:
            // A silent identify is still a failure when the link saw no fault of its own.
            return ConnectFailed(ctx, link.lastIdentify().ok() ? LinkOutcome::Of(Cause::NoReply) : link.lastIdentify());
        case OpenResult::PortFailed: break;
    }
    if (!link.gateRefusal().empty()) return ClaimRefused(ctx, link.gateRefusal());
    return ConnectFailed(ctx, LinkOutcome::Of(Cause::PortFailed));
}

}  // namespace nembra
