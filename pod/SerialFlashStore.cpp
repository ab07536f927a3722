#include "pod/SerialFlashStore.h"

#include "pod/PodCommands.h"
#include "pod/SerialFlashStoreWalk.h"
#include "pod/TargetSequencesSteps.h"
#include "status/Messages.h"

namespace nembra {

using serial_flash::PageWalk;

namespace {

// Shows the failure and takes the pod out of serial-flash access; the store
// makes no further attempt.
StepOutcome FailStore(SequenceContext& ctx, const StepOutcome& failure) {
    ctx.status.ShowMessage(SerialFlashFailureLine(failure), true);
    AbortSerialFlashAccess(ctx.link);
    return failure;
}

StepOutcome StoreRecords(SequenceContext& ctx, bool f281x, bool eraseAll, bool csmOn, const TagRecord& tag) {
    if (const StepOutcome data = WriteSerialFlashData(ctx, f281x); !data) return data.At(Step::StoreData);
    if (f281x) {
        ctx.status.ShowMessage(messages::kWritingPassword, false);
        if (const LinkOutcome sent = SendPasswordRecord(ctx.link, csmOn ? ctx.keys : kNoPassword); !sent)
            return StepOutcome::Failed(Step::StorePassword, sent);
    }
    ctx.status.ShowMessage(messages::kWritingTag, false);
    if (const LinkOutcome sent = SendTagRecord(ctx.link, tag); !sent) return StepOutcome::Failed(Step::StoreTag, sent);
    ctx.status.ShowMessage(messages::kWritingSummary, false);
    const uint16_t mask = serial_flash::StoredSectorMask(ctx.image, ctx.deviceType, eraseAll);
    const uint8_t count = serial_flash::StoredSectionCount(ctx.image, f281x);
    if (const LinkOutcome sent = SendImageRecord(ctx.link, DeviceCode(ctx.deviceType), csmOn ? 1 : 0, mask, count);
        !sent)
        return StepOutcome::Failed(Step::StoreSummary, sent);
    return StepOutcome::Success();
}

}  // namespace

const char* SerialFlashFailureLine(const StepOutcome& outcome) {
    switch (outcome.step) {
        case Step::Access: return messages::kAccessFailed;
        case Step::StoreData: return messages::kStoreDataFailed;
        case Step::StorePassword: return messages::kStorePasswordFailed;
        case Step::StoreTag: return messages::kStoreTagFailed;
        case Step::StoreSummary: return messages::kStoreSummaryFailed;
        case Step::EndAccess: return messages::kEndAccessFailed;
        case Step::ReadSummary:
            return outcome.cause() == Cause::NoStoredProgram ? messages::kNoStoredProgram
                                                             : messages::kReadSummaryFailed;
        case Step::CompareDevice: return messages::kDeviceDiffers;
        case Step::CompareSectionCount: return messages::kSectionCountDiffers;
        case Step::CompareSections: return messages::kSectionsDiffer;
        case Step::ReadPassword: return messages::kReadPasswordFailed;
        case Step::CompareData: return messages::kDataDiffers;
        default: return "";
    }
}

TagRecord MakeTagRecord(const std::string& podFileName, const LocalDateTime& now) {
    TagRecord tag{};
    for (size_t i = 0; i < podFileName.size() && i < 8; ++i) tag[i] = static_cast<uint8_t>(podFileName[i]);
    tag[8] = static_cast<uint8_t>((now.year >> 8) & 0xFF);
    tag[9] = static_cast<uint8_t>(now.year & 0xFF);
    tag[10] = static_cast<uint8_t>(now.month);
    tag[11] = static_cast<uint8_t>(now.day);
    tag[12] = static_cast<uint8_t>(now.hour);
    tag[13] = static_cast<uint8_t>(now.minute);
    return tag;
}

StepOutcome StoreInSerialFlash(SequenceContext& ctx, bool eraseAll, bool csmOn, const std::string& podFileName,
                               const LocalDateTime& now) {
    const TagRecord tag = MakeTagRecord(podFileName, now);
    const bool f281x = IsF281x(ctx.deviceType);
    ctx.progress.Start(Step::StoreData, serial_flash::StoredBytes(ctx.image, f281x) / 2);
    if (const LinkOutcome begun = BeginSerialFlashAccess(ctx.link); !begun)
        return FailStore(ctx, StepOutcome::Failed(Step::Access, begun));
    if (const StepOutcome stored = StoreRecords(ctx, f281x, eraseAll, csmOn, tag); !stored)
        return FailStore(ctx, stored);
    if (const LinkOutcome ended = EndSerialFlashAccess(ctx.link); !ended)
        return FailStore(ctx, StepOutcome::Failed(Step::EndAccess, ended));
    return StepOutcome::Success();
}

StepOutcome WriteSerialFlashData(SequenceContext& ctx, bool f281x) {
    ctx.status.ShowMessage(messages::kWritingStoreData, false);
    return serial_flash::WalkStoredData(ctx, f281x, PageWalk::Mode::Store);
}

}  // namespace nembra
