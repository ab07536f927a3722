#pragma once
#include <functional>
#include <optional>
#include <ostream>
#include <string>

#include "cli/ProgressLine.h"
#include "ops/OpsClock.h"
#include "status/ProgressModel.h"
#include "status/StatusSink.h"

namespace nembra::cli {

// The command-line tool's message line and progress bar: on a terminal, one
// redrawn line on the progress stream with the current text, the bar, its
// percentage and the elapsed time, written only when what it shows changes.
// The final line reaches the output from the operation's outcome, not from here.
class ConsoleStatus : public StatusSink {
public:
    // Draws one line where the caller keeps it (one line of several pods).
    using LineDrawer = std::function<void(const std::string& line)>;

    ConsoleStatus(std::ostream& progressOut, bool interactive, OpsClock& clock, int columns);
    // Null `draw`: nothing is drawn.
    ConsoleStatus(LineDrawer draw, OpsClock& clock, int columns);

    void ShowMessage(const std::string& text, bool isError) override;
    void SetRange(int32_t lower, int32_t upper) override;
    void SetStep(int32_t step) override { model_.SetStep(step); }
    int32_t SetPos(int32_t pos) override;
    int32_t StepIt() override;

    void Progress(const ProgressEvent& event) override;

    // Also writes progress events as JSON Lines records to `out` (null: none);
    // see ProgressEventStreamed for which events get one.
    void StreamProgress(std::ostream* out) { eventsOut_ = out; }

    // Wipes the progress line so that the final line starts on a clean line.
    void Finish();

    int redraws() const { return redraws_; }

private:
    std::optional<uint32_t> ElapsedMs();
    void Refresh();

    std::ostream* out_ = nullptr;
    LineDrawer draw_;
    bool interactive_;
    OpsClock& clock_;
    int columns_;
    std::optional<uint32_t> startMs_;
    ProgressModel model_;
    std::string lastText_;
    bool hasLine_ = false;
    std::optional<ProgressState> drawn_;
    int redraws_ = 0;
    std::ostream* eventsOut_ = nullptr;
};

}  // namespace nembra::cli
