#pragma once
#include "ops/OperationEvents.h"
#include "ui/ProgrammerControls.h"

namespace nembra {

// What an operation changes in the window as it runs, from the operation's
// worker thread: the command buttons and the cursor while a pod sequence
// runs, the POD File Name field, the out-of-memory box.
class WindowEvents : public OperationEvents {
public:
    WindowEvents(QWidget& window, const ProgrammerControls& controls) : window_(window), c_(controls) {}
    ~WindowEvents() override;

    void SequenceBusy(bool busy) override;
    void PodFileNameChosen(const std::string& name) override;
    void OutOfMemory() override;

private:
    void LockCommandButtons(bool lock);
    void SetBusyCursor(bool busy);

    QWidget& window_;
    const ProgrammerControls& c_;
    int busyDepth_ = 0;
};

}  // namespace nembra
