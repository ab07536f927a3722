#pragma once
#include <cstdint>

#include "image/ProgramImage.h"
#include "pod/TargetSequences.h"

namespace nembra::sequence_steps {

inline constexpr uint32_t kBootBlockWords = 200;
inline constexpr uint32_t kFlashBlockWords = 40;

inline constexpr uint32_t kBootLf240xTimeoutMs = 10000;
inline constexpr uint32_t kBootF281xTimeoutMs = 3000;
inline constexpr uint32_t kStreamWordTimeoutMs = 3000;
inline constexpr uint32_t kBlockEndTimeoutMs = 4000;
inline constexpr uint32_t kInitFlashTimeoutMs = 5000;
inline constexpr uint32_t kEraseSectorTimeoutMs = 20000;
inline constexpr uint32_t kProgramBlockTimeoutMs = 5000;

// Sends n words of a section from word `first` on: all but the last as
// batched "S" frames, the last with `lastLetter`, which flushes the batch and
// waits for the pod's '!'. Each word is one unit of the phase.
LinkOutcome SendBlockWords(SequenceContext& ctx, const ImageSection& section, uint32_t first, uint32_t n,
                           char lastLetter);

// A failure at the block that starts at this word address.
StepOutcome AtBlock(LinkOutcome link, uint32_t wordAddress);
// The sequence's result for an inner step's outcome.
TargetWriteOutcome Finished(TargetWriteResult code, const StepOutcome& failure);
TargetWriteOutcome Finished(TargetWriteResult code, LinkOutcome link);

}  // namespace nembra::sequence_steps
