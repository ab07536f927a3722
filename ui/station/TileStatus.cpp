#include "ui/station/TileStatus.h"

#include "status/OutcomeWords.h"

namespace nembra {

TileStatus::TileStatus(std::function<void(const TileUpdate&)> post, int32_t barPixels) : post_(std::move(post)) {
    bar_.SetPixelWidth(barPixels);
}

// The operation's own lines (connecting, booting) show while no phase
// counts; an error is the final line, which the outcome brings when the
// pod is done.
void TileStatus::ShowMessage(const std::string& text, bool isError) {
    if (!isError) post_({text, false, 0, 0, false, false, {}});
}

// The tile draws phases, not the window's bar calls.
void TileStatus::SetRange(int32_t lower, int32_t upper) { bar_.SetRange(lower, upper); }
void TileStatus::SetStep(int32_t step) { bar_.SetStep(step); }
int32_t TileStatus::SetPos(int32_t pos) { return bar_.SetPos(pos).previous; }
int32_t TileStatus::StepIt() { return bar_.StepIt().previous; }

void TileStatus::Progress(const ProgressEvent& event) {
    if (event.phase == Step::None) return;
    if (event.done == 0) {
        phase_ = StepWords(event.phase);
        if (!phase_.empty()) phase_.front() = static_cast<char>(phase_.front() - 'a' + 'A');
        bar_.SetRange(0, static_cast<int32_t>(event.total));
        bar_.ForceRepaint();
        bar_.SetPos(0);
        post_({phase_, true, 0, event.total, false, false, {}});
        return;
    }
    if (bar_.SetPos(static_cast<int32_t>(event.done)).repaintDue)
        post_({phase_, true, event.done, event.total, false, false, {}});
}

}  // namespace nembra
