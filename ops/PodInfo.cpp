#include <cstdio>
#include <string>

#include "ops/OperationSteps.h"
#include "ops/Operations.h"
#include "pod/PodCommands.h"
#include "status/Messages.h"

namespace nembra {

using op_steps::Refusal;
using op_steps::Shown;

namespace {

std::string PodInfoLine(uint16_t version, const PodFileRecord& record) {
    const int major = version / 10;
    const int minor = version % 10;
    char text[128];
    if (record.stored())
        std::snprintf(text, sizeof text, messages::kPodInfoFormat, major, minor, record.StoredName().c_str(),
                      record.StoredDate().c_str());
    else
        std::snprintf(text, sizeof text, messages::kPodInfoNoFileFormat, major, minor);
    return text;
}

// Both questions, and whether the version was one the pod names.
StepOutcome AskPod(OperationContext& ctx) {
    PodLink& link = ctx.session.link;
    uint16_t& version = ctx.session.firmwareVersion;
    if (const LinkOutcome asked = QueryPodVersion(link, version); !asked)
        return StepOutcome::Failed(Step::Version, asked);
    if (const LinkOutcome asked = ReadPodInfo(link, ctx.session.podFileRecord); !asked)
        return StepOutcome::Failed(Step::PodInfo, asked);
    return StepOutcome::Success();
}

}  // namespace

OperationOutcome RunTargetReset(OperationContext& ctx) {
    if (Refusal refused = op_steps::Connect(ctx)) return *refused;
    const LinkOutcome reset = ResetTarget(ctx.session.link);
    ctx.session.link.ClosePod();
    if (reset) return Shown(ctx, OperationOutcome::Succeeded(messages::kResetDone));
    return Shown(ctx, OperationOutcome::Failed(messages::kResetFailed, StepOutcome::Failed(Step::Reset, reset)));
}

OperationOutcome RunPodInfo(OperationContext& ctx) {
    if (Refusal refused = op_steps::Connect(ctx)) return *refused;
    StepOutcome asked = AskPod(ctx);
    ctx.session.link.ClosePod();
    if (asked && ctx.session.firmwareVersion == 0)
        asked = StepOutcome::Failed(Step::Version, LinkOutcome::Of(Cause::UnknownVersion));
    if (!asked) return Shown(ctx, OperationOutcome::Failed(messages::kPodInfoFailed, asked));
    return Shown(ctx, OperationOutcome::Succeeded(PodInfoLine(ctx.session.firmwareVersion, ctx.session.podFileRecord)));
}

}  // namespace nembra
