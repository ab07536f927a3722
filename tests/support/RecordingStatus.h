#pragma once
#include <string>
#include <vector>

#include "status/ProgressModel.h"
#include "status/StatusSink.h"

namespace nembra::testing {

// Remembers every message and keeps the progress arithmetic, so tests can
// assert on the lines shown and where the bar stands.
class RecordingStatus : public StatusSink {
public:
    struct Line {
        std::string text;
        bool isError;
    };

    void ShowMessage(const std::string& text, bool isError) override { lines.push_back({text, isError}); }
    void SetRange(int32_t lower, int32_t upper) override {
        progress.SetRange(lower, upper);
        ++rangeCalls;
    }
    void SetStep(int32_t step) override { progress.SetStep(step); }
    int32_t SetPos(int32_t pos) override { return progress.SetPos(pos).previous; }
    int32_t StepIt() override {
        ++steps;
        return progress.StepIt().previous;
    }

    const Line& last() const {
        static const Line none{"", false};
        return lines.empty() ? none : lines.back();
    }
    std::string lastText() const { return last().text; }
    bool lastIsError() const { return last().isError; }
    bool Shown(const std::string& text) const {
        for (const auto& line : lines)
            if (line.text == text) return true;
        return false;
    }

    std::vector<Line> lines;
    ProgressModel progress;
    int rangeCalls = 0;
    long steps = 0;
};

}  // namespace nembra::testing
