#include <algorithm>
#include <bit>

#include "image/FlashSectors.h"
#include "pod/PodCommands.h"
#include "pod/TargetSequences.h"
#include "pod/TargetSequencesSteps.h"
#include "status/Messages.h"

namespace nembra {

using namespace sequence_steps;

namespace {

// One flash section as blocks of at most 40 words; each block's words are
// batched and the block is then programmed (and acknowledged) with "O" 02.
StepOutcome WriteFlashSection(SequenceContext& ctx, const ImageSection& section) {
    uint32_t done = 0;
    uint32_t destination = section.address;
    while (done < section.wordCount) {
        const uint32_t n = std::min(section.wordCount - done, kFlashBlockWords);
        for (uint32_t k = 0; k < n; ++k) {
            const LinkOutcome sent = SendFlashWord(ctx.link, ctx.image.DataWord(section, done + k), k + 1 == n);
            if (!sent) return AtBlock(sent, destination);
            ctx.progress.Advance();
        }
        const LinkOutcome programmed =
            ProgramBlock(ctx.link, destination, static_cast<uint16_t>(n), kProgramBlockTimeoutMs);
        if (!programmed) return AtBlock(programmed, destination);
        done += n;
        destination += kFlashBlockWords;
    }
    return StepOutcome::Success();
}

}  // namespace

uint16_t EraseMask(DeviceType deviceType, uint16_t flashSectorMask, bool eraseAll) {
    const uint16_t all = AllSectorsMask(deviceType);
    return eraseAll ? all : static_cast<uint16_t>(flashSectorMask & all);
}

StepOutcome EraseFlash(SequenceContext& ctx, bool eraseAll) {
    const uint16_t mask = EraseMask(ctx.deviceType, ctx.image.flashSummary.flashSectorMask, eraseAll);
    ctx.status.ShowMessage(messages::kErasing, false);
    ctx.progress.Start(Step::Erase, static_cast<uint32_t>(std::popcount(static_cast<unsigned>(mask & kAnySectorMask))));
    // One sector per command: the pod's erase time-out is per sector.
    for (int b = 0; b < kFlashSectorCount; ++b) {
        const uint16_t bit = static_cast<uint16_t>(1u << b);
        if ((mask & bit) == 0) continue;
        if (const LinkOutcome erased = EraseSectors(ctx.link, bit, kEraseSectorTimeoutMs); !erased)
            return StepOutcome::Failed(Step::None, erased, Where{Where::Kind::Sector, static_cast<uint32_t>(b)});
        ctx.progress.Advance();
    }
    return StepOutcome::Success();
}

StepOutcome WriteFlash(SequenceContext& ctx) {
    ctx.status.ShowMessage(messages::kWritingFlash, false);
    ctx.link.frameBatch().Clear();
    for (const ImageSection& section : ctx.image.sections) {
        if (!section.inFlash) continue;
        if (const StepOutcome written = WriteFlashSection(ctx, section); !written) return written;
    }
    return StepOutcome::Success();
}

}  // namespace nembra
