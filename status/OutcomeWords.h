#pragma once
#include <string>

#include "status/Outcome.h"

namespace nembra {

// An outcome in plain words for a person at a station, who reads what
// went wrong and where, not the record's names: "writing the flash".
const char* StepWords(Step step);
// "the pod did not answer".
const char* CauseWords(Cause cause);
// "Writing the flash: the pod did not answer (sector C)"; empty on success.
std::string FailureWords(const StepOutcome& failure);

}  // namespace nembra
