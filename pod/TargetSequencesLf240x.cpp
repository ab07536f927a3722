#include <algorithm>

#include "pod/PodCommands.h"
#include "pod/TargetSequences.h"
#include "pod/TargetSequencesSteps.h"

namespace nembra {

using namespace sequence_steps;

namespace {

// One section as blocks of at most 200 words. Every block after the very
// first of the stream is announced by "U" 0001; then the destination, the
// count less one, and the words ending in "Z".
bool SendLf240xSection(SequenceContext& ctx, const ImageSection& section, bool& firstBlock) {
    uint32_t done = 0;
    uint16_t destination = static_cast<uint16_t>(section.address);
    while (done < section.wordCount) {
        const uint32_t n = std::min(section.wordCount - done, kBootBlockWords);
        if (!firstBlock && !SendStreamWord(ctx.link, 'U', 0x0001, kStreamWordTimeoutMs)) return false;
        firstBlock = false;
        if (!SendStreamWord(ctx.link, 'U', destination, kStreamWordTimeoutMs)) return false;
        if (!SendStreamWord(ctx.link, 'U', static_cast<uint16_t>(n - 1), kStreamWordTimeoutMs)) return false;
        if (!SendBlockWords(ctx, section, done, n, 'Z')) return false;
        done += n;
        destination = static_cast<uint16_t>(destination + kBootBlockWords);
    }
    return true;
}

// The boot stream carries 16-bit destinations: a section that does not lie
// wholly below 0x10000 would wrap and land on the wrong words.
bool FitsLf240xStream(const ProgramImage& image) {
    for (const ImageSection& section : image.sections)
        if (uint64_t{section.address} + section.wordCount > 0x10000) return false;
    return true;
}

}  // namespace

bool SendLf240xStream(SequenceContext& ctx) {
    ctx.link.frameBatch().Clear();
    if (!FitsLf240xStream(ctx.image)) return false;
    bool firstBlock = true;
    for (const ImageSection& section : ctx.image.sections)
        if (!SendLf240xSection(ctx, section, firstBlock)) return false;
    // A zero where the next block's marker would be ends the boot loader's stream.
    if (firstBlock) return true;
    return SendStreamWord(ctx.link, 'U', 0x0000, kStreamWordTimeoutMs);
}

TargetWriteResult ProgramLf240x(SequenceContext& ctx) {
    StartProgress(ctx.status, ctx.image.totalBytes / 2);
    ctx.status.ShowMessage("Starting SCI Boot & Downloading Flash Algorithm [Max: 10 sec]...", false);
    if (!StartBootLf240x(ctx.link, DeviceCode(ctx.deviceType))) return TargetWriteResult::BootFailed;
    ctx.status.ShowMessage("Downloading User Program...", false);
    if (!SendLf240xStream(ctx)) return TargetWriteResult::DownloadFailed;
    ctx.status.ShowMessage("Reset target board...", false);
    if (!ResetTarget(ctx.link)) return TargetWriteResult::ResetFailed;
    return TargetWriteResult::Success;
}

}  // namespace nembra
