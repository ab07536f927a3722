#include <algorithm>
#include <bit>

#include "image/FlashSectors.h"
#include "pod/PodCommands.h"
#include "pod/TargetSequences.h"
#include "pod/TargetSequencesSteps.h"

namespace nembra {

using namespace sequence_steps;

namespace {

// One flash section as blocks of at most 40 words; each block's words are
// batched and the block is then programmed (and acknowledged) with "O" 02.
bool WriteFlashSection(SequenceContext& ctx, const ImageSection& section) {
    uint32_t done = 0;
    uint32_t destination = section.address;
    while (done < section.wordCount) {
        const uint32_t n = std::min(section.wordCount - done, kFlashBlockWords);
        for (uint32_t k = 0; k < n; ++k) {
            if (!SendFlashWord(ctx.link, ctx.image.DataWord(section, done + k), k + 1 == n)) return false;
            ctx.status.StepIt();
        }
        if (!ProgramBlock(ctx.link, destination, static_cast<uint16_t>(n), kProgramBlockTimeoutMs)) return false;
        done += n;
        destination += kFlashBlockWords;
    }
    return true;
}

}  // namespace

uint16_t EraseMask(DeviceType deviceType, uint16_t flashSectorMask, bool eraseAll) {
    const uint16_t all = AllSectorsMask(deviceType);
    return eraseAll ? all : static_cast<uint16_t>(flashSectorMask & all);
}

bool EraseFlash(SequenceContext& ctx, bool eraseAll) {
    const uint16_t mask = EraseMask(ctx.deviceType, ctx.image.flashSummary.flashSectorMask, eraseAll);
    ctx.status.ShowMessage("Erasing Flash Memory...", false);
    StartProgress(ctx.status, static_cast<uint32_t>(std::popcount(static_cast<unsigned>(mask & kAnySectorMask))));
    // One sector per command: the pod's erase time-out is per sector.
    for (int b = 0; b < kFlashSectorCount; ++b) {
        const uint16_t bit = static_cast<uint16_t>(1u << b);
        if ((mask & bit) == 0) continue;
        if (!EraseSectors(ctx.link, bit, kEraseSectorTimeoutMs)) return false;
        ctx.status.StepIt();
    }
    return true;
}

bool WriteFlash(SequenceContext& ctx) {
    ctx.status.ShowMessage("Writing Flash Memory...", false);
    ctx.link.frameBatch().Clear();
    for (const ImageSection& section : ctx.image.sections) {
        if (!section.inFlash) continue;
        if (!WriteFlashSection(ctx, section)) return false;
    }
    return true;
}

}  // namespace nembra
