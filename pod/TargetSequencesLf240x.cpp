#include <algorithm>

#include "pod/PodCommands.h"
#include "pod/TargetSequences.h"
#include "pod/TargetSequencesSteps.h"
#include "status/Messages.h"

namespace nembra {

using namespace sequence_steps;

namespace {

// One section as blocks of at most 200 words. Every block after the very
// first of the stream is announced by "U" 0001; then the destination, the
// count less one, and the words ending in "Z".
StepOutcome SendLf240xSection(SequenceContext& ctx, const ImageSection& section, bool& firstBlock) {
    uint32_t done = 0;
    uint16_t destination = static_cast<uint16_t>(section.address);
    while (done < section.wordCount) {
        const uint32_t n = std::min(section.wordCount - done, kBootBlockWords);
        LinkOutcome sent = LinkOutcome::Accepted();
        if (!firstBlock) sent = SendStreamWord(ctx.link, 'U', 0x0001, kStreamWordTimeoutMs);
        firstBlock = false;
        if (sent) sent = SendStreamWord(ctx.link, 'U', destination, kStreamWordTimeoutMs);
        if (sent) sent = SendStreamWord(ctx.link, 'U', static_cast<uint16_t>(n - 1), kStreamWordTimeoutMs);
        if (sent) sent = SendBlockWords(ctx, section, done, n, 'Z');
        if (!sent) return AtBlock(sent, destination);
        done += n;
        destination = static_cast<uint16_t>(destination + kBootBlockWords);
    }
    return StepOutcome::Success();
}

// The boot stream carries 16-bit destinations: a section that does not lie
// wholly below 0x10000 would wrap and land on the wrong words.
StepOutcome FitsLf240xStream(const ProgramImage& image) {
    for (const ImageSection& section : image.sections)
        if (uint64_t{section.address} + section.wordCount > 0x10000)
            return AtBlock(LinkOutcome::Of(Cause::Unsendable), section.address);
    return StepOutcome::Success();
}

}  // namespace

StepOutcome SendLf240xStream(SequenceContext& ctx) {
    ctx.link.frameBatch().Clear();
    if (const StepOutcome fits = FitsLf240xStream(ctx.image); !fits) return fits;
    bool firstBlock = true;
    for (const ImageSection& section : ctx.image.sections)
        if (const StepOutcome sent = SendLf240xSection(ctx, section, firstBlock); !sent) return sent;
    // A zero where the next block's marker would be ends the boot loader's stream.
    if (firstBlock) return StepOutcome::Success();
    return StepOutcome::Failed(Step::None, SendStreamWord(ctx.link, 'U', 0x0000, kStreamWordTimeoutMs));
}

TargetWriteOutcome ProgramLf240x(SequenceContext& ctx) {
    ctx.progress.Start(Step::Download, ctx.image.totalBytes / 2);
    ctx.status.ShowMessage(messages::kBootLf240x, false);
    if (const LinkOutcome boot = StartBootLf240x(ctx.link, DeviceCode(ctx.deviceType)); !boot)
        return Finished(TargetWriteResult::BootFailed, boot);
    ctx.status.ShowMessage(messages::kDownloading, false);
    if (const StepOutcome sent = SendLf240xStream(ctx); !sent) return Finished(TargetWriteResult::DownloadFailed, sent);
    ctx.status.ShowMessage(messages::kResetting, false);
    return Finished(TargetWriteResult::ResetFailed, ResetTarget(ctx.link));
}

}  // namespace nembra
