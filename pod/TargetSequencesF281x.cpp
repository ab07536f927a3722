#include <algorithm>

#include "pod/PodCommands.h"
#include "pod/TargetSequences.h"
#include "pod/TargetSequencesSteps.h"
#include "status/Messages.h"

namespace nembra {

using namespace sequence_steps;

namespace {

// One RAM section as blocks of at most 200 words: the count, the 32-bit
// destination, then the words ending in "Y".
StepOutcome SendF281xSection(SequenceContext& ctx, const ImageSection& section) {
    uint32_t done = 0;
    uint32_t destination = section.address;
    while (done < section.wordCount) {
        const uint32_t n = std::min(section.wordCount - done, kBootBlockWords);
        LinkOutcome sent = SendStreamWord(ctx.link, 'U', static_cast<uint16_t>(n), kStreamWordTimeoutMs);
        if (sent) sent = SendStreamLong(ctx.link, destination, kStreamWordTimeoutMs);
        if (sent) sent = SendBlockWords(ctx, section, done, n, 'Y');
        if (!sent) return AtBlock(sent, destination);
        done += n;
        destination += kBootBlockWords;
    }
    return StepOutcome::Success();
}

// The pod sometimes misses the first flash initialisation right after the
// algorithm download; one retry on clean queues is part of the protocol.
LinkOutcome InitFlashWithRetry(PodLink& link) {
    if (InitFlash(link, kInitFlashTimeoutMs)) return LinkOutcome::Accepted();
    link.PurgePod();
    return InitFlash(link, kInitFlashTimeoutMs);
}

TargetWriteOutcome DownloadToRam(SequenceContext& ctx) {
    ctx.progress.Start(Step::Download, ctx.image.flashSummary.nonFlashBytes / 2);
    ctx.status.ShowMessage(messages::kDownloading, false);
    return Finished(TargetWriteResult::DownloadFailed, SendF281xBootStream(ctx));
}

}  // namespace

StepOutcome SendF281xBootStream(SequenceContext& ctx) {
    ctx.link.frameBatch().Clear();
    bool sentAny = false;
    for (const ImageSection& section : ctx.image.sections) {
        if (section.inFlash || section.wordCount == 0) continue;
        if (const StepOutcome sent = SendF281xSection(ctx, section); !sent) return sent;
        sentAny = true;
    }
    // A block count of zero ends the boot loader's stream.
    if (!sentAny) return StepOutcome::Success();
    return StepOutcome::Failed(Step::None, SendStreamWord(ctx.link, 'X', 0x0000, kStreamWordTimeoutMs));
}

TargetWriteOutcome ProgramF281x(SequenceContext& ctx, bool hasFlash, bool eraseAll, bool unlock) {
    ctx.status.ShowMessage(messages::kBootF281x, false);
    if (const LinkOutcome boot = StartBootF281x(ctx.link, DeviceCode(ctx.deviceType)); !boot)
        return Finished(TargetWriteResult::BootFailed, boot);
    if (!hasFlash) return DownloadToRam(ctx);

    ctx.status.ShowMessage(messages::kDownloadingAlgorithm, false);
    if (const LinkOutcome keys = SendCsmKeys(ctx.link, unlock, ctx.keys); !keys)
        return Finished(TargetWriteResult::AlgorithmFailed, keys);
    ctx.status.ShowMessage(messages::kInitializingFlash, false);
    if (const LinkOutcome init = InitFlashWithRetry(ctx.link); !init)
        return Finished(TargetWriteResult::FlashInitFailed, init);
    if (const StepOutcome erased = EraseFlash(ctx, eraseAll); !erased)
        return Finished(TargetWriteResult::EraseFailed, erased);
    ctx.progress.Start(Step::FlashWrite, ctx.image.flashSummary.flashBytes / 2);
    if (const StepOutcome written = WriteFlash(ctx); !written) return Finished(TargetWriteResult::WriteFailed, written);
    return Finished(TargetWriteResult::ResetFailed, ResetTarget(ctx.link));
}

}  // namespace nembra
