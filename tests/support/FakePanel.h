#pragma once
#include <array>
#include <string>

#include "ops/OperatorPanel.h"

namespace nembra::testing {

// The window's controls as plain fields, remembering whether the buttons are
// locked and the cursor busy, and how often they were switched.
class FakePanel : public OperatorPanel {
public:
    std::string FilePathText() const override { return filePath; }
    int SelectedDevice() const override { return selectedDevice; }
    bool EraseAllSelected() const override { return eraseAll; }
    bool UnlockCsmChecked() const override { return unlockCsm; }
    std::string KeyFieldText(int n) const override { return keyFields.at(static_cast<size_t>(n)); }
    std::string PodFileNameText() const override { return podFileName; }

    void SetPodFileNameText(const std::string& text) override { podFileName = text; }
    void LockCommandButtons(bool lock) override {
        buttonsLocked = lock;
        ++(lock ? lockCalls : unlockCalls);
    }
    void SetBusyCursor(bool busy) override {
        cursorBusy = busy;
        ++(busy ? busyCalls : idleCalls);
    }

    std::string filePath;
    int selectedDevice = 4;
    bool eraseAll = false;
    bool unlockCsm = false;
    std::array<std::string, 8> keyFields{};
    std::string podFileName;

    bool buttonsLocked = false;
    bool cursorBusy = false;
    int lockCalls = 0;
    int unlockCalls = 0;
    int busyCalls = 0;
    int idleCalls = 0;
};

}  // namespace nembra::testing
