#include "pod/PodCommands.h"
#include "pod/SerialFlashStore.h"
#include "pod/SerialFlashStoreWalk.h"
#include "pod/TargetSequencesSteps.h"

namespace nembra {

using serial_flash::PageWalk;

namespace {

// The verify leaves the pod in serial-flash access after a failure: it sends
// neither "i" nor "H", the link is closed by the caller.
bool FailVerify(SequenceContext& ctx, const char* message) {
    ctx.status.ShowMessage(message, true);
    return false;
}

// The summary record: a stored program, for this device type, with as many
// sections as this image would store.
const char* CheckImageRecord(SequenceContext& ctx, bool f281x, ImageRecordReply& reply) {
    ctx.status.ShowMessage("Reading COFF information in serial flash...", false);
    if (!ReadImageRecord(ctx.link, reply)) return "Fail to read COFF information";
    if (reply.storeMarker != kStoreMarker) return "There is no COFF file data in serial flash";
    if (reply.deviceCode == 0 || reply.deviceCode - 1 != ctx.deviceType)
        return "The selected MCU type is not same in serial flash";
    if (reply.sectionCount != serial_flash::StoredSectionCount(ctx.image, f281x))
        return "The selected COFF file is not same in serial flash";
    return nullptr;
}

const char* CheckStoredProgram(SequenceContext& ctx, bool f281x) {
    ImageRecordReply reply;
    if (const char* failure = CheckImageRecord(ctx, f281x, reply)) return failure;
    if (!CheckSectionRecords(ctx, f281x)) return "The selected COFF file section is not same in serial flash";
    if (f281x && reply.csmOption != 0) {
        ctx.status.ShowMessage("Reading CSM Password information in serial flash...", false);
        CsmKeyTable stored{};
        if (!ReadPasswordRecord(ctx.link, stored)) return "Fail to read CSM password information in serial flash";
    }
    if (!VerifySerialFlashData(ctx, f281x)) return "The selected COFF file data is not same in serial flash";
    return nullptr;
}

}  // namespace

bool VerifySerialFlash(SequenceContext& ctx) {
    const bool f281x = IsF281x(ctx.deviceType);
    sequence_steps::StartProgress(ctx.status, serial_flash::StoredBytes(ctx.image, f281x) / 2);
    if (!BeginSerialFlashAccess(ctx.link)) return FailVerify(ctx, "Fail to access serial flash in KVL47Q POD");
    if (const char* failure = CheckStoredProgram(ctx, f281x)) return FailVerify(ctx, failure);
    if (!EndSerialFlashAccess(ctx.link)) return FailVerify(ctx, "Fail to finish access to serial flash");
    return true;
}

bool CheckSectionRecords(SequenceContext& ctx, bool f281x) {
    ctx.status.ShowMessage("Reading section information in serial flash...", false);
    const auto stored = serial_flash::StoredSections(ctx.image, f281x);
    for (size_t sequence = 0; sequence < stored.size(); ++sequence) {
        const ImageSection& section = *stored[sequence];
        SectionRecordReply reply;
        if (sequence > 0xFF || !ReadSectionRecord(ctx.link, static_cast<uint8_t>(sequence), reply)) return false;
        if (reply.address != section.address || reply.wordCount != section.wordCount ||
            reply.dataOffset != section.dataOffset)
            return false;
    }
    return true;
}

bool VerifySerialFlashData(SequenceContext& ctx, bool f281x) {
    ctx.status.ShowMessage("Verifying user program in serial flash...", false);
    return serial_flash::WalkStoredData(ctx, f281x, PageWalk::Mode::Compare);
}

}  // namespace nembra
