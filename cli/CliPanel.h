#pragma once
#include <string>

#include "cli/CliOptions.h"
#include "ops/OperatorPanel.h"

namespace nembra::cli {

// The window's controls as the command line sets them: the File Path box
// holds FILE, the device list DEV, the erase radio buttons, the unlock box
// and the key fields the write options, the POD File Name field --name.
// There are no buttons to lock and no cursor, so those calls change nothing
// that anyone could see.
class CliPanel : public OperatorPanel {
public:
    explicit CliPanel(const CliOptions& options);

    std::string FilePathText() const override { return filePath_; }
    int SelectedDevice() const override { return device_; }
    bool EraseAllSelected() const override { return eraseAll_; }
    bool UnlockCsmChecked() const override { return unlock_; }
    std::string KeyFieldText(int n) const override;
    std::string PodFileNameText() const override { return podFileName_; }

    void SetPodFileNameText(const std::string& text) override { podFileName_ = text; }
    void LockCommandButtons(bool lock) override { buttonsLocked_ = lock; }
    void SetBusyCursor(bool busy) override { busy_ = busy; }

    bool buttonsLocked() const { return buttonsLocked_; }
    bool busy() const { return busy_; }

private:
    std::string filePath_;
    int device_;
    bool eraseAll_;
    bool unlock_;
    std::array<std::string, 8> keys_;
    std::string podFileName_;
    bool buttonsLocked_ = false;
    bool busy_ = false;
};

}  // namespace nembra::cli
