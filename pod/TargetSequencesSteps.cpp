#include "pod/TargetSequencesSteps.h"

#include "pod/PodCommands.h"

namespace nembra::sequence_steps {

LinkOutcome SendBlockWords(SequenceContext& ctx, const ImageSection& section, uint32_t first, uint32_t n,
                           char lastLetter) {
    for (uint32_t k = 0; k < n; ++k) {
        const bool last = k + 1 == n;
        const uint16_t word = ctx.image.DataWord(section, first + k);
        if (const LinkOutcome sent = SendStreamWord(ctx.link, last ? lastLetter : 'S', word, kBlockEndTimeoutMs); !sent)
            return sent;
        ctx.progress.Advance();
    }
    return LinkOutcome::Accepted();
}

StepOutcome AtBlock(LinkOutcome link, uint32_t wordAddress) {
    if (link.ok()) return StepOutcome::Success();
    return StepOutcome::Failed(Step::None, link, Where{Where::Kind::Address, wordAddress});
}

TargetWriteOutcome Finished(TargetWriteResult code, const StepOutcome& failure) {
    if (failure.ok()) return {TargetWriteResult::Success, StepOutcome::Success()};
    return {code, failure.At(TargetWriteStep(code))};
}

TargetWriteOutcome Finished(TargetWriteResult code, LinkOutcome link) {
    return Finished(code, StepOutcome::Failed(Step::None, link));
}

}  // namespace nembra::sequence_steps

namespace nembra {

Step TargetWriteStep(TargetWriteResult result) {
    switch (result) {
        case TargetWriteResult::Success: return Step::None;
        case TargetWriteResult::BootFailed: return Step::Boot;
        case TargetWriteResult::DownloadFailed: return Step::Download;
        case TargetWriteResult::ResetFailed: return Step::Reset;
        case TargetWriteResult::AlgorithmFailed: return Step::Algorithm;
        case TargetWriteResult::FlashInitFailed: return Step::FlashInit;
        case TargetWriteResult::EraseFailed: return Step::Erase;
        case TargetWriteResult::WriteFailed: return Step::FlashWrite;
    }
    return Step::None;
}

}  // namespace nembra
