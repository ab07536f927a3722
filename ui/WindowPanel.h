#pragma once
#include "ops/OperatorPanel.h"
#include "ui/ProgrammerControls.h"

namespace nembra {

// The window's controls as the operations read and change them, from the
// GUI thread or from an operation's worker thread.
class WindowPanel : public OperatorPanel {
public:
    WindowPanel(QWidget& window, const ProgrammerControls& controls) : window_(window), c_(controls) {}
    ~WindowPanel() override;

    std::string FilePathText() const override;
    int SelectedDevice() const override;
    bool EraseAllSelected() const override;
    bool UnlockCsmChecked() const override;
    std::string KeyFieldText(int n) const override;
    std::string PodFileNameText() const override;

    void SetPodFileNameText(const std::string& text) override;
    void LockCommandButtons(bool lock) override;
    void SetBusyCursor(bool busy) override;
    void ShowOutOfMemoryBox() override;

private:
    QWidget& window_;
    const ProgrammerControls& c_;
    int busyDepth_ = 0;
};

}  // namespace nembra
