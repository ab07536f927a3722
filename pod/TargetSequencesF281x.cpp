#include <algorithm>

#include "pod/PodCommands.h"
#include "pod/TargetSequences.h"
#include "pod/TargetSequencesSteps.h"

namespace nembra {

using namespace sequence_steps;

namespace {

// One RAM section as blocks of at most 200 words: the count, the 32-bit
// destination, then the words ending in "Y".
bool SendF281xSection(SequenceContext& ctx, const ImageSection& section) {
    uint32_t done = 0;
    uint32_t destination = section.address;
    while (done < section.wordCount) {
        const uint32_t n = std::min(section.wordCount - done, kBootBlockWords);
        if (!SendStreamWord(ctx.link, 'U', static_cast<uint16_t>(n), kStreamWordTimeoutMs)) return false;
        if (!SendStreamLong(ctx.link, destination, kStreamWordTimeoutMs)) return false;
        if (!SendBlockWords(ctx, section, done, n, 'Y')) return false;
        done += n;
        destination += kBootBlockWords;
    }
    return true;
}

// The pod sometimes misses the first flash initialisation right after the
// algorithm download; one retry on clean queues is part of the protocol.
bool InitFlashWithRetry(PodLink& link) {
    if (InitFlash(link, kInitFlashTimeoutMs)) return true;
    link.PurgePod();
    return InitFlash(link, kInitFlashTimeoutMs);
}

TargetWriteResult DownloadToRam(SequenceContext& ctx) {
    StartProgress(ctx.status, ctx.image.flashSummary.nonFlashBytes / 2);
    ctx.status.ShowMessage("Downloading User Program...", false);
    return SendF281xBootStream(ctx) ? TargetWriteResult::Success : TargetWriteResult::DownloadFailed;
}

}  // namespace

bool SendF281xBootStream(SequenceContext& ctx) {
    ctx.link.frameBatch().Clear();
    bool sentAny = false;
    for (const ImageSection& section : ctx.image.sections) {
        if (section.inFlash || section.wordCount == 0) continue;
        if (!SendF281xSection(ctx, section)) return false;
        sentAny = true;
    }
    // A block count of zero ends the boot loader's stream.
    if (!sentAny) return true;
    return SendStreamWord(ctx.link, 'X', 0x0000, kStreamWordTimeoutMs);
}

TargetWriteResult ProgramF281x(SequenceContext& ctx, bool hasFlash, bool eraseAll, bool unlock) {
    ctx.status.ShowMessage("Starting SCI Boot...", false);
    if (!StartBootF281x(ctx.link, DeviceCode(ctx.deviceType))) return TargetWriteResult::BootFailed;
    if (!hasFlash) return DownloadToRam(ctx);

    ctx.status.ShowMessage("Downloading Flash Algorithm Code [Max: 10 sec]...", false);
    if (!SendCsmKeys(ctx.link, unlock, ctx.keys)) return TargetWriteResult::AlgorithmFailed;
    ctx.status.ShowMessage("Initializing target board for flash memory write...", false);
    if (!InitFlashWithRetry(ctx.link)) return TargetWriteResult::FlashInitFailed;
    if (!EraseFlash(ctx, eraseAll)) return TargetWriteResult::EraseFailed;
    StartProgress(ctx.status, ctx.image.flashSummary.flashBytes / 2);
    if (!WriteFlash(ctx)) return TargetWriteResult::WriteFailed;
    if (!ResetTarget(ctx.link)) return TargetWriteResult::ResetFailed;
    return TargetWriteResult::Success;
}

}  // namespace nembra
