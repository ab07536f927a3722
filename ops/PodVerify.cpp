#include "ops/OperationSteps.h"
#include "ops/Operations.h"
#include "pod/SerialFlashStore.h"
#include "status/Messages.h"

namespace nembra {

using namespace op_steps;

OperationOutcome RunPodVerify(OperationContext& ctx) {
    if (Refusal refused = EnsureImageLoaded(ctx, messages::kNoFileForPodVerify)) return *refused;
    if (Refusal refused = CheckImage(ctx, PodImageRefusal(Image(ctx), ctx.session.deviceType))) return *refused;
    if (Refusal refused = Connect(ctx)) return *refused;
    SequenceFrame frame(ctx);
    SequenceContext seq = MakeSequenceContext(ctx);
    const StepOutcome matches = VerifySerialFlash(seq);
    const std::string elapsed = frame.Elapsed();
    // A failed verify has shown its own line already.
    if (!matches) return OperationOutcome::Failed(SerialFlashFailureLine(matches), matches);
    return Shown(ctx, OperationOutcome::Succeeded(messages::kPodVerifyDone + elapsed));
}

}  // namespace nembra
