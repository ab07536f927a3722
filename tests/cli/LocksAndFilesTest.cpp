#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "CliFiles.h"
#include "CliProcess.h"
#include "cli/CliMain.h"
#include "sim/SimStoreFile.h"
#include "tests/support/LockHolder.h"

namespace nembra::testing {
namespace {

// The tool in this process, its lock waits on a sleep of the test's own:
// the bound is checked exactly and costs no time.
struct InProcessRun {
    int exitCode = -1;
    std::string out;
    std::string err;
    uint32_t sleptMs = 0;
};

InProcessRun RunInProcess(std::vector<std::string> args) {
    InProcessRun run;
    cli::CliEnvironment environment;
    environment.lockPatience.sleepMs = [&run](uint32_t ms) { run.sleptMs += ms; };
    std::ostringstream out, err;
    args.insert(args.begin(), "nembra-cli");
    run.exitCode = static_cast<int>(cli::RunCli(args, out, err, environment));
    run.out = out.str();
    run.err = err.str();
    return run;
}

SimStore Loaded(const std::string& path) {
    SimStore store;
    LoadStoreFile(path, store);
    return store;
}

class LocksAndFiles : public ::testing::Test {
protected:
    CliFiles files;
    std::string log = files.Path("boards.jsonl");
    std::string Sim() const { return "--sim=" + files.state; }
};

// Before, a log that another process held (anyone could open the 0644 log)
// blocked the run for good, after the board had been programmed.
TEST_F(LocksAndFiles, ALogHeldByAnotherProcessFailsTheCommandBeforeAnyPod) {
    std::ofstream(log) << "";
    LockHolder other(log);
    ASSERT_TRUE(other.held());
    const std::string target = files.Path("target.hex");
    const InProcessRun run = RunInProcess({Sim(), "--log", log, "--sim-target-hex", target, "write", files.f2812});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "The log file " + log + " is in use by another process\n");
    EXPECT_EQ(run.sleptMs, 5000u);
    EXPECT_FALSE(std::filesystem::exists(target)) << "no pod is touched";
    EXPECT_EQ(std::filesystem::file_size(log), 0u);
}

TEST_F(LocksAndFiles, AStoreLockHeldByAnotherProcessFailsAPodWriteAndNothingElse) {
    ASSERT_EQ(RunTool({Sim(), "pod-write", files.f2812}, files.dir.path()).exitCode, 0);
    const SimStore before = Loaded(files.state);
    ASSERT_TRUE(before.hasProgram);
    LockHolder other(StoreLockPath(files.state));
    ASSERT_TRUE(other.held());

    InProcessRun run = RunInProcess({Sim(), "pod-write", files.f2812Other});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "The simulated pod's store " + files.state + " is in use by another process\n");
    EXPECT_EQ(run.sleptMs, 5000u);
    EXPECT_EQ(Loaded(files.state), before);

    // Reading the store takes no lock.
    run = RunInProcess({Sim(), "pod-verify", files.f2812});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.sleptMs, 0u);
}

// The store and the trace hold the CSM keys; the log and the lock must not
// be open to others. Before, under umask 0 they were 0666, and the store
// and a trace that existed stayed 0644.
TEST_F(LocksAndFiles, LogTraceStoreAndLockAreMadePrivate) {
    ScopedUmask open(0);
    ASSERT_EQ(RunTool({Sim(), "pod-write", files.f2812}, files.dir.path()).exitCode, 0);
    ASSERT_EQ(::chmod(files.state.c_str(), 0644), 0);
    ASSERT_EQ(::chmod(StoreLockPath(files.state).c_str(), 0644), 0);
    const std::string trace = files.Path("run.trace");
    std::ofstream(trace) << "old";
    ASSERT_EQ(::chmod(trace.c_str(), 0644), 0);

    const CliRun run =
        RunTool({Sim(), "--log", log, "--trace", trace, "pod-write", files.f2812Other, "--unlock", "1234,5678,,,,,,"},
                files.dir.path());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(ReadText(trace).find("1234"), std::string::npos) << "the trace holds the keys";
    EXPECT_EQ(FileMode(trace), 0600);
    EXPECT_EQ(FileMode(log), 0600);
    EXPECT_EQ(FileMode(files.state), 0600);
    EXPECT_EQ(FileMode(StoreLockPath(files.state)), 0600);
}

TEST_F(LocksAndFiles, ALogThatIsALinkIsNotFollowed) {
    const std::string elsewhere = files.Path("elsewhere");
    std::ofstream(elsewhere) << "keep";
    std::filesystem::create_symlink(elsewhere, log);
    const CliRun run = RunTool({Sim(), "--log", log, "write", files.f2812}, files.dir.path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "Cannot open the log file " + log + ": it is a symbolic link, which is not followed\n");
    EXPECT_EQ(ReadText(elsewhere), "keep");
}

// Root writes into a read-only folder all the same: a test run by root
// runs the tool as another user, who owns the folder, to see the fault.
constexpr int kOtherUser = 65534;

void HandOver(const std::string& dir) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir))
        (void)!::chown(entry.path().c_str(), kOtherUser, kOtherUser);
    (void)!::chown(dir.c_str(), kOtherUser, kOtherUser);
}

// Before, with the store's folder read-only, "pod-write --verify" reported
// both steps completed while the store still held the old program.
TEST_F(LocksAndFiles, AStoreThatCannotBeSavedIsAFailedPodWrite) {
    const std::string folder = files.Path("station");
    std::filesystem::create_directory(folder);
    const std::string state = folder + "/pod.store";
    const int user = ::geteuid() == 0 ? kOtherUser : -1;
    if (user >= 0) HandOver(files.dir.path());
    auto run = [&](std::vector<std::string> args) {
        args.insert(args.begin(), "--sim=" + state);
        return RunTool(args, files.dir.path(), user);
    };
    CliRun first = run({"pod-write", files.f2812});
    if (first.exitCode == 126) GTEST_SKIP() << "the tool cannot be run as user " << kOtherUser;
    ASSERT_EQ(first.exitCode, 0) << first.err;

    ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
    const CliRun write = run({"pod-write", files.f2812Other, "--verify"});
    ::chmod(folder.c_str(), 0755);
    EXPECT_EQ(write.exitCode, 1);
    EXPECT_EQ(write.err, "Fail to write user program in serial flash\n");
    EXPECT_EQ(write.out, "");

    const CliRun verify = run({"pod-verify", files.f2812});
    EXPECT_EQ(verify.exitCode, 0) << verify.err;
    EXPECT_EQ(verify.out.rfind("EEPROM Verify Completed - ", 0), 0u) << verify.out;
}

}  // namespace
}  // namespace nembra::testing
