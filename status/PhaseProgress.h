#pragma once
#include <cstdint>

#include "status/ProgressEvent.h"
#include "status/StatusSink.h"

namespace nembra {

// Counts the units of the phase a sequence is in and reports each one, so a
// phase that spans several sections or blocks keeps one count.
class PhaseProgress {
public:
    explicit PhaseProgress(StatusSink& status) : status_(&status) {}

    void Start(Step phase, uint32_t total) {
        event_ = ProgressEvent{phase, 0, total};
        status_->Progress(event_);
    }
    void Advance() {
        ++event_.done;
        status_->Progress(event_);
    }

private:
    StatusSink* status_;
    ProgressEvent event_;
};

}  // namespace nembra
