#include "ui/WorkerStatus.h"

namespace nembra {

void WorkerStatus::ShowMessage(const std::string& text, bool isError) { window_.ShowMessage(text, isError); }

void WorkerStatus::SetRange(int32_t lower, int32_t upper) {
    bar_.SetRange(lower, upper);
    window_.SetRange(lower, upper);
}

void WorkerStatus::SetStep(int32_t step) {
    bar_.SetStep(step);
    window_.SetStep(step);
}

// Rare (a phase's start, an operation's end): always passed on, so that the
// bar holds the exact position whenever a phase begins or ends.
int32_t WorkerStatus::SetPos(int32_t pos) {
    const ProgressModel::PosChange change = bar_.SetPos(pos);
    window_.SetPos(pos);
    return change.previous;
}

int32_t WorkerStatus::StepIt() {
    const ProgressModel::PosChange change = bar_.StepIt();
    if (change.repaintDue) window_.SetPos(bar_.pos());
    return change.previous;
}

}  // namespace nembra
