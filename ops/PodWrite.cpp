#include "image/LoadCoffFile.h"
#include "ops/OperationSteps.h"
#include "ops/Operations.h"
#include "pod/SerialFlashStore.h"
#include "status/Messages.h"

namespace nembra {

using namespace op_steps;

namespace {

constexpr size_t kPodFileNameBytes = 8;

bool IsUtf8Continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Cut to 8 bytes, without leaving half of a multi-byte character at the end
// (the pod would store, and POD Info show, a broken character).
std::string CutToPodName(std::string name) {
    if (name.size() <= kPodFileNameBytes) return name;
    size_t end = kPodFileNameBytes;
    while (end > 0 && IsUtf8Continuation(name[end])) --end;
    name.resize(end);
    return name;
}

// The name the pod stores: the job's, else the loaded file's name, cut to
// 8 bytes; kept and told to the front-end before the pod is contacted.
std::string TakePodFileName(OperationContext& ctx) {
    std::string name = Trim(ctx.job.podFileName);
    if (name.empty()) name = Image(ctx).podFileName;
    name = CutToPodName(name);
    ctx.session.eepFileName = name;
    if (ctx.events != nullptr) ctx.events->PodFileNameChosen(name);
    return name;
}

Refusal ReadStoreOptions(OperationContext& ctx, bool& eraseAll, bool& unlock) {
    if (!IsF281x(ctx.session.deviceType)) return std::nullopt;
    eraseAll = ctx.job.eraseAll;
    unlock = ctx.job.unlockCsm;
    if (unlock && !ReadCsmKeys(ctx)) return Refused(ctx, messages::kWrongPassword, Step::Check, Cause::WrongPassword);
    return std::nullopt;
}

}  // namespace

OperationOutcome RunPodWrite(OperationContext& ctx) {
    ctx.session.csmKeyTable = kNoPassword;
    bool eraseAll = false;
    bool unlock = false;
    if (Refusal refused = EnsureImageLoaded(ctx, messages::kNoFileForPodWrite)) return *refused;
    if (Refusal refused = CheckImage(ctx, PodImageRefusal(Image(ctx), ctx.session.deviceType))) return *refused;
    if (Refusal refused = ReadStoreOptions(ctx, eraseAll, unlock)) return *refused;
    const std::string name = TakePodFileName(ctx);
    if (Refusal refused = Connect(ctx)) return *refused;
    SequenceFrame frame(ctx);
    SequenceContext seq = MakeSequenceContext(ctx);
    const StepOutcome stored = StoreInSerialFlash(seq, eraseAll, unlock, name, ctx.clock.LocalNow());
    const std::string elapsed = frame.Elapsed();
    // A failed store has shown its own line already.
    if (!stored) return OperationOutcome::Failed(SerialFlashFailureLine(stored), stored);
    return Shown(ctx, OperationOutcome::Succeeded(messages::kPodWriteDone + elapsed));
}

}  // namespace nembra
