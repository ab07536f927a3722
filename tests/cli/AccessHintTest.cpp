#include <gtest/gtest.h>

#include <sstream>

#include "cli/OutcomeOutput.h"
#include "cli/PodCommandRunner.h"
#include "sim/SimRig.h"

namespace nembra::cli {
namespace {

// The simulated pod, with its USB device refusing to open as a real one can.
class RefusingBackend : public PodBackend {
public:
    explicit RefusingBackend(OpenFailureCause cause) : opsClock_(rig_.clock) { rig_.device.SetOpenRefused(0, cause); }
    DriverLoader& loader() override { return rig_.loader; }
    LinkClock& linkClock() override { return rig_.clock; }
    OpsClock& opsClock() override { return opsClock_; }
    SimPod* simPod() override { return &rig_.pod; }

private:
    SimRig rig_;
    LinkOpsClock opsClock_;
};

CommandOutcome ResetWith(OpenFailureCause cause) {
    CliOptions options;
    options.command = Command::Reset;
    RefusingBackend backend(cause);
    std::ostringstream progress;
    return RunPodCommand(options, backend, {progress, false, 80});
}

TEST(AccessHint, NamesTheUdevRuleWhenPermissionIsLacking) {
    for (OpenFailureCause cause : {OpenFailureCause::PermissionDenied, OpenFailureCause::HeldByKernelDriver}) {
        const CommandOutcome outcome = ResetWith(cause);
        EXPECT_FALSE(outcome.ok);
        EXPECT_EQ(outcome.message, "Fail to open communication port");
        EXPECT_NE(outcome.hint.find("packaging/60-kvl47q-pod.rules"), std::string::npos) << outcome.hint;
        EXPECT_NE(outcome.hint.find("\"Pod access (udev)\""), std::string::npos) << outcome.hint;
    }
}

TEST(AccessHint, AnotherProgramHoldingThePodIsNoUdevMatter) {
    const CommandOutcome outcome = ResetWith(OpenFailureCause::HeldByAnotherProgram);
    EXPECT_EQ(outcome.message, "Fail to open communication port");
    EXPECT_NE(outcome.hint.find("another program holds the KVL47Q POD"), std::string::npos) << outcome.hint;
    EXPECT_EQ(outcome.hint.find("udev"), std::string::npos) << outcome.hint;
}

TEST(AccessHint, NoHintForOtherFailures) {
    const CommandOutcome outcome = ResetWith(OpenFailureCause::Unplugged);
    EXPECT_EQ(outcome.message, "Fail to open communication port");
    EXPECT_TRUE(outcome.hint.empty());
    EXPECT_TRUE(ResetWith(OpenFailureCause::None).ok);
}

TEST(AccessHint, FollowsTheFailureLineOnStderr) {
    CliOptions options;
    options.command = Command::Reset;
    const CommandOutcome outcome = ResetWith(OpenFailureCause::PermissionDenied);
    std::ostringstream out;
    std::ostringstream err;
    PrintOutcome(options, outcome, out, err);
    EXPECT_TRUE(out.str().empty());
    EXPECT_TRUE(err.str().starts_with("Fail to open communication port\nhint: ")) << err.str();
}

}  // namespace
}  // namespace nembra::cli
