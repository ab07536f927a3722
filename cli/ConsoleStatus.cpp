#include "cli/ConsoleStatus.h"

namespace nembra::cli {

ConsoleStatus::ConsoleStatus(std::ostream& progressOut, bool interactive, OpsClock& clock, int columns)
    : out_(&progressOut), interactive_(interactive), clock_(clock), columns_(columns) {
    model_.SetPixelWidth(kBarCells);
    uint32_t now = 0;
    if (clock_.ReadMs(now)) startMs_ = now;
}

ConsoleStatus::ConsoleStatus(LineDrawer draw, OpsClock& clock, int columns)
    : draw_(std::move(draw)), interactive_(draw_ != nullptr), clock_(clock), columns_(columns) {
    model_.SetPixelWidth(kBarCells);
    uint32_t now = 0;
    if (clock_.ReadMs(now)) startMs_ = now;
}

// The kind does not show on the progress line; the final line's kind reaches
// the output with the outcome.
void ConsoleStatus::ShowMessage(const std::string& text, bool /*isError*/) {
    lastText_ = text;
    hasLine_ = true;
    Refresh();
}

void ConsoleStatus::SetRange(int32_t lower, int32_t upper) {
    model_.SetRange(lower, upper);
    Refresh();
}

int32_t ConsoleStatus::SetPos(int32_t pos) {
    const auto change = model_.SetPos(pos);
    if (change.repaintDue) Refresh();
    return change.previous;
}

int32_t ConsoleStatus::StepIt() {
    const auto change = model_.StepIt();
    // The elapsed time moves between bar steps too; Refresh draws only on a change.
    Refresh();
    return change.previous;
}

void ConsoleStatus::Progress(const ProgressEvent& event) {
    if (eventsOut_ != nullptr && ProgressEventStreamed(event))
        *eventsOut_ << ProgressEventJson(event) << '\n' << std::flush;
    StatusSink::Progress(event);
}

std::optional<uint32_t> ConsoleStatus::ElapsedMs() {
    uint32_t now = 0;
    if (!startMs_ || !clock_.ReadMs(now)) return std::nullopt;
    return now - *startMs_;
}

void ConsoleStatus::Refresh() {
    if (!interactive_ || !hasLine_) return;
    ProgressState state = MakeProgressState(lastText_, model_, ElapsedMs());
    if (drawn_ && *drawn_ == state) return;
    if (draw_)
        draw_(FormatProgressLine(state, columns_));
    else
        *out_ << "\r\033[K" << FormatProgressLine(state, columns_) << std::flush;
    drawn_ = std::move(state);
    ++redraws_;
}

void ConsoleStatus::Finish() {
    if (!interactive_ || !drawn_) return;
    if (out_ != nullptr) *out_ << "\r\033[K" << std::flush;
    drawn_.reset();
}

}  // namespace nembra::cli
