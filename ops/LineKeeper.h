#pragma once
#include <string>

#include "status/StatusSink.h"

namespace nembra {

// Passes everything on to the front-end's sink and keeps the last line that
// went through, so that an operation can carry the line of a callee that
// reports only by showing it (the Load) in its outcome. It keeps the line as
// it passes; success is never read from it.
class LineKeeper : public StatusSink {
public:
    explicit LineKeeper(StatusSink& inner) : inner_(inner) {}

    void ShowMessage(const std::string& text, bool isError) override {
        line_ = text;
        inner_.ShowMessage(text, isError);
    }
    void SetRange(int32_t lower, int32_t upper) override { inner_.SetRange(lower, upper); }
    void SetStep(int32_t step) override { inner_.SetStep(step); }
    int32_t SetPos(int32_t pos) override { return inner_.SetPos(pos); }
    int32_t StepIt() override { return inner_.StepIt(); }

    const std::string& line() const { return line_; }

private:
    StatusSink& inner_;
    std::string line_;
};

}  // namespace nembra
