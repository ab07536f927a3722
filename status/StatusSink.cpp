#include "status/StatusSink.h"

namespace nembra {

// Each event becomes the same bar calls the window has always received, so
// the bar's pixel rule (a repaint only when the drawn width changes) and the
// number of StepIt calls stay as they are.
void StatusSink::Progress(const ProgressEvent& event) {
    if (event.phase == Step::None) {
        SetPos(0);
        return;
    }
    if (event.done == 0) {
        SetRange(0, static_cast<int32_t>(event.total));
        SetStep(1);
        SetPos(0);
        return;
    }
    StepIt();
}

}  // namespace nembra
