#pragma once
#include <cstdint>
#include <optional>
#include <string>

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

}  // namespace nembra::cli
