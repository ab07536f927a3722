#include "ops/OperationSteps.h"
#include "ops/Operations.h"

namespace nembra {

using namespace op_steps;

namespace {

struct F281xOptions {
    bool hasFlash = false;
    bool eraseAll = false;
    bool unlock = false;
};

TargetWriteResult RunSequence(OperationContext& ctx, const F281xOptions& options) {
    SequenceContext seq = MakeSequenceContext(ctx);
    if (!IsF281x(ctx.session.deviceType)) return ProgramLf240x(seq);
    return ProgramF281x(seq, options.hasFlash, options.eraseAll, options.unlock);
}

}  // namespace

const char* TargetWriteMessage(TargetWriteResult result) {
    switch (result) {
        case TargetWriteResult::Success: return "Flash Write Completed - ";
        case TargetWriteResult::BootFailed: return "Fail to start SCI boot";
        case TargetWriteResult::DownloadFailed: return "Fail to download user program";
        case TargetWriteResult::ResetFailed: return "Fail to reset target board";
        case TargetWriteResult::AlgorithmFailed: return "Fail to download flash algorithm code";
        case TargetWriteResult::FlashInitFailed: return "Fail to initialize target board for flash memory write";
        case TargetWriteResult::EraseFailed: return "Fail to erase flash memory";
        case TargetWriteResult::WriteFailed: return "Fail to write flash memory";
    }
    return "Fail to write flash memory";
}

void RunTargetWrite(OperationContext& ctx) {
    ctx.session.csmKeyTable = kNoPassword;
    if (!EnsureImageLoaded(ctx, "Please, specify COFF file to write target")) return;
    if (!HasSectionData(ctx)) return;
    F281xOptions options;
    if (IsF281x(ctx.session.deviceType)) {
        options = {Image(ctx).flashSummary.hasFlashSection, ctx.panel.EraseAllSelected(), ctx.panel.UnlockCsmChecked()};
        if (options.unlock && !ReadCsmKeys(ctx)) {
            ctx.status.ShowMessage("CSM Password input is wrong", true);
            return;
        }
    }
    if (!ConnectPod(ctx)) return;
    SequenceFrame frame(ctx);
    const TargetWriteResult result = RunSequence(ctx, options);
    const std::string elapsed = frame.Elapsed();
    if (result == TargetWriteResult::Success)
        ctx.status.ShowMessage(TargetWriteMessage(result) + elapsed, false);
    else
        ctx.status.ShowMessage(TargetWriteMessage(result), true);
}

}  // namespace nembra
