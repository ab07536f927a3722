#pragma once
#include "status/ProgressModel.h"
#include "status/StatusSink.h"

namespace nembra {

// The status interface as an operation on its worker thread sees it. Every
// call goes on to the window's status (which shows it on the GUI thread
// before returning), except the steps that leave the drawn bar as it is: a
// copy of the bar's progress arithmetic answers those on the worker, so that
// stepping once per data word costs no thread switch. Made on the GUI thread
// from the bar's state when the operation starts; the bar does not change
// size while an operation runs.
class WorkerStatus : public StatusSink {
public:
    WorkerStatus(StatusSink& window, const ProgressModel& bar) : window_(window), bar_(bar) {}

    void ShowMessage(const std::string& text, bool isError) override;
    void SetRange(int32_t lower, int32_t upper) override;
    void SetStep(int32_t step) override;
    int32_t SetPos(int32_t pos) override;
    int32_t StepIt() override;

private:
    StatusSink& window_;
    ProgressModel bar_;
};

}  // namespace nembra
