#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "status/ProgressEvent.h"
#include "status/ProgressModel.h"

namespace nembra::cli {

inline constexpr int32_t kBarCells = 24;

// What the terminal line shows; two equal states draw the same line.
struct ProgressState {
    std::string text;
    bool drawable = false;
    int32_t filledCells = 0;
    int32_t percent = 0;
    std::optional<uint32_t> elapsedTenths;

    bool operator==(const ProgressState&) const = default;
};

// The model must have its pixel width set to kBarCells.
ProgressState MakeProgressState(const std::string& text, const ProgressModel& model, std::optional<uint32_t> elapsedMs);

// "<text> [#####.....]  42%  12.3 s", cut to fit the columns so that the
// line never wraps (a wrapped line cannot be redrawn with a carriage return).
std::string FormatProgressLine(const ProgressState& state, int columns);

// One progress event as a JSON Lines record:
// {"progress":"flash-write","done":12,"total":100}; the operation's end is
// {"progress":"none","done":0,"total":0}.
std::string ProgressEventJson(const ProgressEvent& event);

// Whether an event is worth a record: a phase's opening, the operation's
// end, and a unit that moves the phase's whole percentage (at most 100 per
// phase, however many words it has).
bool ProgressEventStreamed(const ProgressEvent& event);

}  // namespace nembra::cli
