#include "pod/PodCommands.h"
#include "pod/SerialFlashStore.h"
#include "pod/SerialFlashStoreWalk.h"
#include "pod/TargetSequencesSteps.h"
#include "status/Messages.h"

namespace nembra {

using serial_flash::AtSection;
using serial_flash::PageWalk;

namespace {

// The verify leaves the pod in serial-flash access after a failure: it sends
// neither "i" nor "H", the link is closed by the caller.
StepOutcome FailVerify(SequenceContext& ctx, const StepOutcome& failure) {
    ctx.status.ShowMessage(SerialFlashFailureLine(failure), true);
    return failure;
}

// The summary record: a stored program, for this device type, with as many
// sections as this image would store.
StepOutcome CheckImageRecord(SequenceContext& ctx, bool f281x, ImageRecordReply& reply) {
    ctx.status.ShowMessage(messages::kReadingSummary, false);
    if (const LinkOutcome read = ReadImageRecord(ctx.link, reply); !read)
        return StepOutcome::Failed(Step::ReadSummary, read);
    if (reply.storeMarker != kStoreMarker)
        return StepOutcome::Failed(Step::ReadSummary, LinkOutcome::Of(Cause::NoStoredProgram));
    if (reply.deviceCode == 0 || reply.deviceCode - 1 != ctx.deviceType)
        return StepOutcome::Failed(Step::CompareDevice, LinkOutcome::Of(Cause::Differs));
    if (reply.sectionCount != serial_flash::StoredSectionCount(ctx.image, f281x))
        return StepOutcome::Failed(Step::CompareSectionCount, LinkOutcome::Of(Cause::Differs));
    return StepOutcome::Success();
}

StepOutcome CheckStoredProgram(SequenceContext& ctx, bool f281x) {
    ImageRecordReply reply;
    if (const StepOutcome summary = CheckImageRecord(ctx, f281x, reply); !summary) return summary;
    if (const StepOutcome sections = CheckSectionRecords(ctx, f281x); !sections)
        return sections.At(Step::CompareSections);
    if (f281x && reply.csmOption != 0) {
        ctx.status.ShowMessage(messages::kReadingPassword, false);
        CsmKeyTable stored{};
        if (const LinkOutcome read = ReadPasswordRecord(ctx.link, stored); !read)
            return StepOutcome::Failed(Step::ReadPassword, read);
    }
    if (const StepOutcome data = VerifySerialFlashData(ctx, f281x); !data) return data.At(Step::CompareData);
    return StepOutcome::Success();
}

}  // namespace

StepOutcome VerifySerialFlash(SequenceContext& ctx) {
    const bool f281x = IsF281x(ctx.deviceType);
    ctx.progress.Start(Step::CompareData, serial_flash::StoredBytes(ctx.image, f281x) / 2);
    if (const LinkOutcome begun = BeginSerialFlashAccess(ctx.link); !begun)
        return FailVerify(ctx, StepOutcome::Failed(Step::Access, begun));
    if (const StepOutcome checked = CheckStoredProgram(ctx, f281x); !checked) return FailVerify(ctx, checked);
    if (const LinkOutcome ended = EndSerialFlashAccess(ctx.link); !ended)
        return FailVerify(ctx, StepOutcome::Failed(Step::EndAccess, ended));
    return StepOutcome::Success();
}

StepOutcome CheckSectionRecords(SequenceContext& ctx, bool f281x) {
    ctx.status.ShowMessage(messages::kReadingSections, false);
    const auto stored = serial_flash::StoredSections(ctx.image, f281x);
    for (size_t sequence = 0; sequence < stored.size(); ++sequence) {
        const ImageSection& section = *stored[sequence];
        if (sequence > 0xFF) return AtSection(LinkOutcome::Of(Cause::Unsendable), sequence);
        SectionRecordReply reply;
        if (const LinkOutcome read = ReadSectionRecord(ctx.link, static_cast<uint8_t>(sequence), reply); !read)
            return AtSection(read, sequence);
        if (reply.address != section.address || reply.wordCount != section.wordCount ||
            reply.dataOffset != section.dataOffset)
            return AtSection(LinkOutcome::Of(Cause::Differs), sequence);
    }
    return StepOutcome::Success();
}

StepOutcome VerifySerialFlashData(SequenceContext& ctx, bool f281x) {
    ctx.status.ShowMessage(messages::kVerifyingData, false);
    return serial_flash::WalkStoredData(ctx, f281x, PageWalk::Mode::Compare);
}

}  // namespace nembra
