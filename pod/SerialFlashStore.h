#pragma once
#include <string>

#include "pod/PodRecords.h"
#include "pod/TargetSequences.h"

namespace nembra {

inline constexpr uint32_t kSerialFlashPageBytes = 264;

// Both say what they came to: the failing step, its cause and, for a
// section record or a page, where. A failure's line is shown in error
// colour before they return.
StepOutcome StoreInSerialFlash(SequenceContext& ctx, bool eraseAll, bool csmOn, const std::string& podFileName,
                               const LocalDateTime& now);
StepOutcome VerifySerialFlash(SequenceContext& ctx);
// Inner steps; the caller names the step.
StepOutcome WriteSerialFlashData(SequenceContext& ctx, bool f281x);
StepOutcome CheckSectionRecords(SequenceContext& ctx, bool f281x);
StepOutcome VerifySerialFlashData(SequenceContext& ctx, bool f281x);

// The line a failed store or verify shows; empty for a step of neither.
const char* SerialFlashFailureLine(const StepOutcome& outcome);

TagRecord MakeTagRecord(const std::string& podFileName, const LocalDateTime& now);

}  // namespace nembra
