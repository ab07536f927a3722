#include "pod/TargetSequencesSteps.h"

#include "pod/PodCommands.h"

namespace nembra::sequence_steps {

void StartProgress(StatusSink& status, uint32_t words) {
    status.SetRange(0, static_cast<int32_t>(words));
    status.SetStep(1);
    status.SetPos(0);
}

bool SendBlockWords(SequenceContext& ctx, const ImageSection& section, uint32_t first, uint32_t n, char lastLetter) {
    for (uint32_t k = 0; k < n; ++k) {
        const bool last = k + 1 == n;
        const uint16_t word = ctx.image.DataWord(section, first + k);
        if (!SendStreamWord(ctx.link, last ? lastLetter : 'S', word, kBlockEndTimeoutMs)) return false;
        ctx.status.StepIt();
    }
    return true;
}

}  // namespace nembra::sequence_steps
