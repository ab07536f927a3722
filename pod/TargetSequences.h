#pragma once
#include <cstdint>

#include "image/DeviceTypes.h"
#include "image/ProgramImage.h"
#include "pod/PodLink.h"
#include "pod/PodRecords.h"
#include "status/Outcome.h"
#include "status/PhaseProgress.h"
#include "status/StatusSink.h"

namespace nembra {

enum class TargetWriteResult : uint16_t {
    Success = 0,
    BootFailed = 1,
    DownloadFailed = 2,
    ResetFailed = 3,
    AlgorithmFailed = 4,
    FlashInitFailed = 5,
    EraseFailed = 6,
    WriteFailed = 7,
};

// A programming sequence's result code and, beside it, what made it fail:
// the step, its cause and, for a block or a sector, where.
struct TargetWriteOutcome {
    TargetWriteResult result = TargetWriteResult::Success;
    StepOutcome failure;

    friend bool operator==(const TargetWriteOutcome& outcome, TargetWriteResult result) {
        return outcome.result == result;
    }
};

// The step a result code stands for.
Step TargetWriteStep(TargetWriteResult result);

// What the programming sequences work on.
struct SequenceContext {
    PodLink& link;
    const ProgramImage& image;
    DeviceType deviceType;
    const CsmKeyTable& keys;
    StatusSink& status;
    // The count of the phase the sequence is in; it reports to `status`.
    PhaseProgress progress{status};
};

TargetWriteOutcome ProgramLf240x(SequenceContext& ctx);
TargetWriteOutcome ProgramF281x(SequenceContext& ctx, bool hasFlash, bool eraseAll, bool unlock);
// The inner steps say why they failed and where (the block's word address,
// the sector); the caller names the step.
StepOutcome SendLf240xStream(SequenceContext& ctx);
StepOutcome SendF281xBootStream(SequenceContext& ctx);
StepOutcome EraseFlash(SequenceContext& ctx, bool eraseAll);
StepOutcome WriteFlash(SequenceContext& ctx);

// Sector mask an erase works on for this device type.
uint16_t EraseMask(DeviceType deviceType, uint16_t flashSectorMask, bool eraseAll);

}  // namespace nembra
