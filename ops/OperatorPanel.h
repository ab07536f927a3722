#pragma once
#include <string>

namespace nembra {

// The window's controls as the operations see them. The window implements it
// with widgets, the command-line tool from its arguments, tests with a plain
// object.
class OperatorPanel {
public:
    virtual ~OperatorPanel() = default;

    virtual std::string FilePathText() const = 0;
    virtual int SelectedDevice() const = 0;
    virtual bool EraseAllSelected() const = 0;
    virtual bool UnlockCsmChecked() const = 0;
    virtual std::string KeyFieldText(int n) const = 0;  // n = 0..7
    virtual std::string PodFileNameText() const = 0;

    virtual void SetPodFileNameText(const std::string& text) = 0;
    // Disables (true) or enables the seven command buttons.
    virtual void LockCommandButtons(bool lock) = 0;
    virtual void SetBusyCursor(bool busy) = 0;
    // The one modal box: a Load ran out of memory while making section records.
    virtual void ShowOutOfMemoryBox() {}
};

}  // namespace nembra
