#pragma once
#include <cstdint>
#include <string>

#include "status/ProgressEvent.h"

namespace nembra {

// The two outputs every command reports through: the message line and the
// progress bar. Callers never touch a widget; the window, the command-line
// tool and the tests each provide their own sink. Operations and sequences
// report progress only as events; the bar calls remain for the front-ends
// that draw a bar.
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

    // A progress event. By default it drives the bar: a phase's opening sets
    // the range 0..total, step 1 and position 0, each unit steps the bar
    // once, and the operation's end puts the bar back to 0 in the range it
    // has. A front-end that wants the events themselves overrides this.
    virtual void Progress(const ProgressEvent& event);
};

}  // namespace nembra
