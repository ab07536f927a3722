#pragma once
#include <string>

namespace nembra {

// What an operation changes in its front-end while it runs, told as it
// happens: the window locks its buttons and shows the chosen POD file name
// at once, the command line has none of these and ignores them.
class OperationEvents {
public:
    virtual ~OperationEvents() = default;

    // A pod sequence starts (true) or has ended (false): no other command
    // may start meanwhile.
    virtual void SequenceBusy(bool /*busy*/) {}
    // POD Write chose the name the pod stores, before the pod is contacted.
    virtual void PodFileNameChosen(const std::string& /*name*/) {}
    // A Load ran out of memory while making section records; told before
    // the line says what failed.
    virtual void OutOfMemory() {}
};

}  // namespace nembra
