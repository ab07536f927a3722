#pragma once
#include <cstdint>
#include <string>

namespace nembra {

// The two outputs every command reports through: the message line and the
// progress bar. Callers never touch a widget; the window, the command-line
// tool and the tests each provide their own sink.
class StatusSink {
public:
    virtual ~StatusSink() = default;

    // Replaces the message line; visible before the call returns.
    virtual void ShowMessage(const std::string& text, bool isError) = 0;
    virtual void SetRange(int32_t lower, int32_t upper) = 0;
    virtual void SetStep(int32_t step) = 0;
    // Returns the previous position.
    virtual int32_t SetPos(int32_t pos) = 0;
    // SetPos(pos + step); returns what SetPos returns.
    virtual int32_t StepIt() = 0;
};

}  // namespace nembra
