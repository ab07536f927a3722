#include "ops/OperationSteps.h"
#include "ops/Operations.h"
#include "pod/SerialFlashStore.h"

namespace nembra {

using namespace op_steps;

void RunPodVerify(OperationContext& ctx) {
    if (!EnsureImageLoaded(ctx, "Please, specify COFF file to verify serial flash in KVL47Q POD")) return;
    if (!HasSectionData(ctx) || !WithinPodLimits(ctx) || !HasFlashSectionForPod(ctx)) return;
    if (!ConnectPod(ctx)) return;
    SequenceFrame frame(ctx);
    SequenceContext seq = MakeSequenceContext(ctx);
    const bool matches = VerifySerialFlash(seq);
    const std::string elapsed = frame.Elapsed();
    if (matches) ctx.status.ShowMessage("EEPROM Verify Completed - " + elapsed, false);
}

}  // namespace nembra
