#pragma once
#include <string>

#include "ops/OperationEvents.h"

namespace nembra::testing {

// What an operation told its front-end: whether a pod sequence is running,
// how often it started and ended, and the POD file name it chose.
class RecordingEvents : public OperationEvents {
public:
    void SequenceBusy(bool isBusy) override {
        busy = isBusy;
        ++(isBusy ? busyCalls : idleCalls);
    }
    void PodFileNameChosen(const std::string& name) override {
        podFileName = name;
        ++namesTold;
    }

    bool busy = false;
    int busyCalls = 0;
    int idleCalls = 0;
    std::string podFileName;
    int namesTold = 0;
};

}  // namespace nembra::testing
