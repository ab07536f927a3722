#pragma once
#include <string>

#include "app/ProgrammerApp.h"
#include "ops/OpsClock.h"
#include "sim/SimRig.h"

namespace nembra {

// The simulated pod on a paced virtual clock, so that a run takes as long as
// it would on the real pod and its progress can be watched; its serial flash
// is kept between runs.
class SimBackend : public BackendOwner {
public:
    explicit SimBackend(bool paced = true, const std::string& storePath = DefaultSimStatePath())
        : rig_(Options(storePath), paced), opsClock_(rig_.clock) {}

    ProgrammerBackend backend() override { return {rig_.loader, rig_.clock, opsClock_}; }
    SimRig& rig() { return rig_; }

private:
    static SimPodOptions Options(const std::string& storePath) {
        SimPodOptions options;
        options.storePath = storePath;
        return options;
    }

    SimRig rig_;
    LinkOpsClock opsClock_;
};

}  // namespace nembra
