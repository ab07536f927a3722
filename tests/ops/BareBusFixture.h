#pragma once
#include <gtest/gtest.h>

#include "ops/Operations.h"
#include "sim/SimDevice.h"
#include "sim/SimDriverLoader.h"
#include "sim/VirtualClock.h"
#include "tests/support/RecordingEvents.h"
#include "tests/support/RecordingStatus.h"

namespace nembra::testing {

// A USB bus of its own with no pod on it, so that a test can add none, a
// silent device or a pod that goes away.
class BareBusFixture : public ::testing::Test {
protected:
    BareBusFixture() : device(clock), loader(device), session(loader, clock), opsClock(clock) {}
    OperationContext Ctx() { return OperationContext{session, job, status, opsClock, nullptr, &events}; }

    VirtualClock clock;
    SimDevice device;
    SimDriverLoader loader;
    Session session;
    Job job;
    RecordingEvents events;
    RecordingStatus status;
    LinkOpsClock opsClock;
};

}  // namespace nembra::testing
