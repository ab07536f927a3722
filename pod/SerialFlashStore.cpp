#include "pod/SerialFlashStore.h"

#include "pod/PodCommands.h"
#include "pod/SerialFlashStoreWalk.h"
#include "pod/TargetSequencesSteps.h"

namespace nembra {

using serial_flash::PageWalk;

namespace {

// Shows the failure and takes the pod out of serial-flash access; the store
// makes no further attempt.
bool FailStore(SequenceContext& ctx, const char* message) {
    ctx.status.ShowMessage(message, true);
    AbortSerialFlashAccess(ctx.link);
    return false;
}

const char* StoreRecords(SequenceContext& ctx, bool f281x, bool eraseAll, bool csmOn, const TagRecord& tag) {
    if (!WriteSerialFlashData(ctx, f281x)) return "Fail to write user program in serial flash";
    if (f281x) {
        ctx.status.ShowMessage("Writing CSM password information...", false);
        if (!SendPasswordRecord(ctx.link, csmOn ? ctx.keys : kNoPassword))
            return "Fail to write csm password information";
    }
    ctx.status.ShowMessage("Writing tag data information...", false);
    if (!SendTagRecord(ctx.link, tag)) return "Fail to write tag information";
    ctx.status.ShowMessage("Writing COFF file information...", false);
    const uint16_t mask = serial_flash::StoredSectorMask(ctx.image, ctx.deviceType, eraseAll);
    const uint8_t count = serial_flash::StoredSectionCount(ctx.image, f281x);
    if (!SendImageRecord(ctx.link, DeviceCode(ctx.deviceType), csmOn ? 1 : 0, mask, count))
        return "Fail to write COFF file information";
    return nullptr;
}

}  // namespace

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

bool StoreInSerialFlash(SequenceContext& ctx, bool eraseAll, bool csmOn, const std::string& podFileName,
                        const LocalDateTime& now) {
    const TagRecord tag = MakeTagRecord(podFileName, now);
    const bool f281x = IsF281x(ctx.deviceType);
    sequence_steps::StartProgress(ctx.status, serial_flash::StoredBytes(ctx.image, f281x) / 2);
    if (!BeginSerialFlashAccess(ctx.link)) return FailStore(ctx, "Fail to access serial flash in KVL47Q POD");
    if (const char* failure = StoreRecords(ctx, f281x, eraseAll, csmOn, tag)) return FailStore(ctx, failure);
    if (!EndSerialFlashAccess(ctx.link)) return FailStore(ctx, "Fail to finish access to serial flash");
    return true;
}

bool WriteSerialFlashData(SequenceContext& ctx, bool f281x) {
    ctx.status.ShowMessage("Writing user program in serial flash...", false);
    return serial_flash::WalkStoredData(ctx, f281x, PageWalk::Mode::Store);
}

}  // namespace nembra
