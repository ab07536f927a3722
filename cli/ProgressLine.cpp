#include "cli/ProgressLine.h"

#include <algorithm>
#include <cstdio>

#include "station/JsonText.h"

namespace nembra::cli {

ProgressState MakeProgressState(const std::string& text, const ProgressModel& model,
                                std::optional<uint32_t> elapsedMs) {
    ProgressState state;
    state.text = text;
    state.drawable = model.Drawable();
    if (state.drawable) {
        state.filledCells = std::clamp(model.BarWidth(), int32_t{0}, kBarCells);
        state.percent = std::clamp(model.Percent(), int32_t{0}, int32_t{100});
    }
    if (elapsedMs) state.elapsedTenths = *elapsedMs / 100;
    return state;
}

std::string FormatProgressLine(const ProgressState& state, int columns) {
    std::string tail;
    if (state.drawable) {
        tail += " [" + std::string(static_cast<size_t>(state.filledCells), '#') +
                std::string(static_cast<size_t>(kBarCells - state.filledCells), '.') + "]";
        char percent[16];
        std::snprintf(percent, sizeof percent, " %3d%%", static_cast<int>(state.percent));
        tail += percent;
    }
    if (state.elapsedTenths) {
        char elapsed[32];
        std::snprintf(elapsed, sizeof elapsed, "  %u.%u s", *state.elapsedTenths / 10, *state.elapsedTenths % 10);
        tail += elapsed;
    }
    const int room = std::max(0, columns - 1 - static_cast<int>(tail.size()));
    std::string text = state.text;
    if (static_cast<int>(text.size()) > room)
        text = room > 3 ? text.substr(0, static_cast<size_t>(room - 3)) + "..." : "";
    return text + tail;
}

std::string ProgressEventJson(const ProgressEvent& event) {
    nlohmann::ordered_json record;
    record["progress"] = StepName(event.phase);
    record["done"] = event.done;
    record["total"] = event.total;
    return station::JsonText(record);
}

bool ProgressEventStreamed(const ProgressEvent& event) {
    if (event.phase == Step::None || event.done == 0 || event.total == 0) return true;
    const auto percent = [&](uint64_t done) { return done * 100 / event.total; };
    return percent(event.done) != percent(event.done - 1);
}

}  // namespace nembra::cli
