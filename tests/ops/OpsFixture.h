#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "ops/Operations.h"
#include "sim/SimRig.h"
#include "status/ProgressEvent.h"
#include "tests/support/CoffBuilder.h"
#include "tests/support/RecordingEvents.h"
#include "tests/support/RecordingStatus.h"

namespace nembra::testing {

// Elapsed time from the rig's virtual clock (or scripted readings), and a
// fixed local date and time for the tag record.
class TestOpsClock : public OpsClock {
public:
    explicit TestOpsClock(LinkClock& clock) : clock_(clock) {}
    bool ReadMs(uint32_t& ms) override {
        if (scripted.empty()) {
            ms = clock_.NowMs();
            return true;
        }
        const auto [ok, value] = scripted.front();
        scripted.pop_front();
        ms = value;
        return ok;
    }
    LocalDateTime LocalNow() override { return now; }

    std::deque<std::pair<bool, uint32_t>> scripted;
    LocalDateTime now{2007, 3, 2, 14, 5};

private:
    LinkClock& clock_;
};

// Also keeps every range the bar was given and every progress event, in
// order, and counts the events after which the bar does not stand at the
// event's count in the event's range.
class RangeRecordingStatus : public RecordingStatus {
public:
    void SetRange(int32_t lower, int32_t upper) override {
        RecordingStatus::SetRange(lower, upper);
        ranges.emplace_back(lower, upper);
    }
    void Progress(const ProgressEvent& event) override {
        progressEvents.push_back(event);
        RecordingStatus::Progress(event);
        const bool ended = event.phase == Step::None;
        const auto done = static_cast<int32_t>(event.done);
        const bool follows =
            progress.pos() == done &&
            (ended || (progress.lower() == 0 && progress.upper() == static_cast<int32_t>(event.total)));
        if (!follows) ++barAstray;
    }
    std::vector<std::pair<int32_t, int32_t>> ranges;
    std::vector<ProgressEvent> progressEvents;
    int barAstray = 0;
};

inline SimPodOptions ZeroLatency() {
    SimPodOptions options;
    options.timing.zeroLatency = true;
    return options;
}

// A simulated pod on the USB bus, a session that has loaded the driver
// library, and a job, the events it tells and a status sink to drive the operations with.
class OpsFixture : public ::testing::Test {
protected:
    OpsFixture() : rig(ZeroLatency()), session(rig.loader, rig.clock), clock(rig.clock) {
        session.link.LoadDriverLibrary();
    }

    OperationContext Ctx() { return OperationContext{session, job, status, clock, nullptr, &events}; }

    // Writes a COFF file and points the File Path box and the device list at it.
    std::string UseCoff(const std::string& name, const CoffFilePlan& coff, int device) {
        const std::string path = dir.Write(name, BuildCoff(coff));
        job.filePath = path;
        job.device = device;
        return path;
    }

    static CoffSectionPlan Section(const std::string& name, uint32_t address, size_t words, uint16_t seed) {
        CoffSectionPlan section;
        section.name = name;
        section.address = address;
        section.words = Pattern(words, seed);
        return section;
    }

    static CoffFilePlan Coff(std::vector<CoffSectionPlan> sections, bool f281x) {
        CoffFilePlan coff;
        coff.targetId = f281x ? 0x009D : 0x0092;
        coff.sections = std::move(sections);
        return coff;
    }

    // The state every long operation leaves behind, whatever its outcome.
    void ExpectCleanedUp() {
        EXPECT_FALSE(session.link.connected());
        EXPECT_FALSE(rig.device.open());
        EXPECT_FALSE(events.busy);
        EXPECT_EQ(status.progress.pos(), 0);
    }

    void ExpectNoProtocolErrors() {
        for (const auto& error : rig.pod.protocolErrors()) ADD_FAILURE() << "pod refused: " << error;
    }

    SimRig rig;
    int podIndex = 0;  // the rig plugs its pod in first
    Session session;
    Job job;
    RecordingEvents events;
    RangeRecordingStatus status;
    TestOpsClock clock;
    TempDir dir;
};

}  // namespace nembra::testing
