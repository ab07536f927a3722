#pragma once
#include <cstdint>

#include "status/Outcome.h"

namespace nembra {

// How far a long phase of an operation has got. The phase carries the name
// the outcomes give the same step ("erase", "flash-write", "download",
// "store-data", "compare-data"); done counts its units (data words sent,
// sectors erased) out of total. A phase opens with done 0 and then reports
// each unit once, in order. Step::None with 0 of 0 says the operation has
// ended.
struct ProgressEvent {
    Step phase = Step::None;
    uint32_t done = 0;
    uint32_t total = 0;

    bool operator==(const ProgressEvent&) const = default;
};

}  // namespace nembra
