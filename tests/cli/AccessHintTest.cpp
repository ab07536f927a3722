#include <dlfcn.h>
#include <gtest/gtest.h>

#include <sstream>

#include "CliFiles.h"
#include "CliProcess.h"
#include "cli/OutcomeOutput.h"
#include "pod/LibFtdiDriver.h"
#include "sim/SimRig.h"
#include "station/PodRun.h"
#include "status/QuietStatus.h"

namespace nembra::cli {
namespace {

// The simulated pod, with its USB device refusing to open as a real one can.
class RefusingBackend : public station::PodBackend {
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

CommandOutcome Run(const station::PodRequest& request, station::PodBackend& backend) {
    QuietStatus status;
    station::PodRunFacts facts;
    return station::RunPod(request, backend, status, nullptr, facts);
}

CommandOutcome ResetWith(OpenFailureCause cause) {
    station::PodRequest request;
    request.job.command = JobCommand::TargetReset;
    RefusingBackend backend(cause);
    return Run(request, backend);
}

TEST(AccessHint, NamesTheUdevRuleWhenPermissionIsLacking) {
    const CommandOutcome outcome = ResetWith(OpenFailureCause::PermissionDenied);
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.message, "Fail to open communication port");
    EXPECT_NE(outcome.hint.find("packaging/60-kvl47q-pod.rules"), std::string::npos) << outcome.hint;
    EXPECT_NE(outcome.hint.find("\"Pod access (udev)\""), std::string::npos) << outcome.hint;
}

// The udev rule grants access; it does not take the pod from ftdi_sio.
TEST(AccessHint, TheKernelDriverIsUnloadedOrDetachedByLibFtdi1) {
    const CommandOutcome outcome = ResetWith(OpenFailureCause::HeldByKernelDriver);
    EXPECT_EQ(outcome.message, "Fail to open communication port");
    EXPECT_NE(outcome.hint.find("(ftdi_sio) holds the KVL47Q POD"), std::string::npos) << outcome.hint;
    EXPECT_NE(outcome.hint.find("sudo rmmod ftdi_sio"), std::string::npos) << outcome.hint;
    EXPECT_NE(outcome.hint.find("--driver libftdi1"), std::string::npos) << outcome.hint;
    EXPECT_EQ(outcome.hint.find("udev"), std::string::npos) << outcome.hint;
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

// USB with stand-ins for both driver libraries, neither of which loads.
class NoLibraryBackend : public station::PodBackend {
public:
    NoLibraryBackend(DriverChoice choice, const std::string& libftdiRefusal)
        : loader_(MakeDriverLoader(choice, Loads(libftdiRefusal))), opsClock_(clock_) {}
    DriverLoader& loader() override { return *loader_; }
    LinkClock& linkClock() override { return clock_; }
    OpsClock& opsClock() override { return opsClock_; }

private:
    static BackendLoads Loads(const std::string& libftdiRefusal) {
        BackendLoads loads;
        loads.libftd2xx = [](std::string& whyNot) -> std::unique_ptr<FtdiDriver> {
            whyNot = "libftd2xx.so is not installed";
            return nullptr;
        };
        loads.libftdi1 = [libftdiRefusal](std::string& whyNot) -> std::unique_ptr<FtdiDriver> {
            whyNot = libftdiRefusal;
            return nullptr;
        };
        return loads;
    }
    VirtualClock clock_;
    std::unique_ptr<DriverLoader> loader_;
    LinkOpsClock opsClock_;
};

CommandOutcome InfoWithout(DriverChoice choice, const std::string& libftdiRefusal) {
    station::PodRequest request;
    request.job.command = JobCommand::PodInfo;
    request.driver = choice;
    NoLibraryBackend backend(choice, libftdiRefusal);
    return Run(request, backend);
}

TEST(DriverLoadHint, ALibraryAskedForByHandThatIsMissingIsNamed) {
    const CommandOutcome outcome = InfoWithout(DriverChoice::LibFtd2xx, "unused");
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.message, "Fail to load FTD2XX.DLL");
    EXPECT_EQ(outcome.hint, "hint: --driver libftd2xx: libftd2xx.so is not installed.");
}

// libftdi1 of a release whose context the adapter does not know is refused
// at load: the user learns that, not only that no library loaded.
TEST(DriverLoadHint, ARefusedLibFtdi1ReleaseIsShown) {
    const std::string refusal = LibFtdiVersionRefusal(2, 0);
    const CommandOutcome outcome = InfoWithout(DriverChoice::Auto, refusal);
    EXPECT_EQ(outcome.message, "Fail to load FTD2XX.DLL");
    EXPECT_EQ(outcome.hint, "hint: libftd2xx.so is not installed; " + refusal + ".");
    EXPECT_EQ(InfoWithout(DriverChoice::LibFtdi1, refusal).hint, "hint: --driver libftdi1: " + refusal + ".");
}

// The real tool, where FTDI's library is absent (else it would reach for USB).
TEST(DriverLoadHint, TheToolSaysSoAndFails) {
    if (void* d2xx = dlopen("libftd2xx.so", RTLD_NOW | RTLD_LOCAL)) {
        dlclose(d2xx);
        GTEST_SKIP() << "libftd2xx.so is installed here; the missing-library error cannot be shown";
    }
    testing::CliFiles files;
    const testing::CliRun run = testing::RunTool({"--driver", "libftd2xx", "reset"}, files.dir.path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "Fail to load FTD2XX.DLL\nhint: --driver libftd2xx: libftd2xx.so is not installed.\n");
    const testing::CliRun list = testing::RunTool({"--driver", "libftd2xx", "list"}, files.dir.path());
    EXPECT_EQ(list.exitCode, 1);
    EXPECT_EQ(list.err, run.err);
}

}  // namespace
}  // namespace nembra::cli
