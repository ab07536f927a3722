#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <thread>

#include "app/InstanceGuard.h"
#include "tests/support/CoffBuilder.h"

extern char** environ;

namespace nembra::testing {
namespace {

TEST(InstanceGuard, ASecondCopyIsTurnedAwayWhileTheFirstRuns) {
    TempDir dir;
    const std::string lock = dir.path() + "/KVL47Q.lock";
    InstanceGuard first;
    ASSERT_EQ(first.Acquire(lock), InstanceGuard::Result::Acquired);
    InstanceGuard second;
    EXPECT_EQ(second.Acquire(lock), InstanceGuard::Result::AlreadyRunning);
}

TEST(InstanceGuard, IsFreeAgainOnceTheFirstCopyEnds) {
    TempDir dir;
    const std::string lock = dir.path() + "/KVL47Q.lock";
    {
        InstanceGuard first;
        ASSERT_EQ(first.Acquire(lock), InstanceGuard::Result::Acquired);
    }
    InstanceGuard next;
    EXPECT_EQ(next.Acquire(lock), InstanceGuard::Result::Acquired);
}

// The kernel drops the lock of a process that dies: a crash must not lock
// the user out.
TEST(InstanceGuard, DoesNotOutliveAKilledFirstCopy) {
    TempDir dir;
    const std::string lock = dir.path() + "/KVL47Q.lock";
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        InstanceGuard guard;
        const char state = guard.Acquire(lock) == InstanceGuard::Result::Acquired ? 'y' : 'n';
        (void)!::write(ready[1], &state, 1);
        for (;;) ::pause();
    }
    char state = 0;
    ASSERT_EQ(::read(ready[0], &state, 1), 1);
    ASSERT_EQ(state, 'y');
    InstanceGuard while_alive;
    EXPECT_EQ(while_alive.Acquire(lock), InstanceGuard::Result::AlreadyRunning);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    InstanceGuard after;
    EXPECT_EQ(after.Acquire(lock), InstanceGuard::Result::Acquired);
    ::close(ready[0]);
    ::close(ready[1]);
}

TEST(InstanceGuard, AnUnusableLockFileDoesNotStopTheProgram) {
    EXPECT_EQ(InstanceGuard().Acquire("/nonexistent-folder/KVL47Q.lock"), InstanceGuard::Result::Unavailable);
    EXPECT_NE(InstanceGuard::DefaultLockPath("KVL47Q").find("KVL47Q"), std::string::npos);
}

// Runtime folders that make the throwing filesystem calls throw: one that
// loops back on itself and one longer than a path may be.
struct BadRuntimeFolders {
    BadRuntimeFolders() { std::filesystem::create_symlink(loop, loop); }
    TempDir dir;
    const std::string loop = dir.path() + "/loop";
    const std::string inLoop = loop + "/runtime";
    const std::string tooLong = "/" + std::string(300, 'r');
};

// Sets an environment variable for the length of a test.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(InstanceGuard, AnUnusableRuntimeFolderSendsTheLockToTheTempFolder) {
    BadRuntimeFolders bad;
    TempDir temp;
    ScopedEnv tmpdir("TMPDIR", temp.path());
    for (const std::string& runtime : {bad.inLoop, bad.tooLong}) {
        ScopedEnv env("XDG_RUNTIME_DIR", runtime);
        std::string lock;
        EXPECT_NO_THROW(lock = InstanceGuard::DefaultLockPath("KVL47Q")) << runtime.substr(0, 40);
        EXPECT_EQ(lock, temp.path() + "/KVL47Q-" + std::to_string(::getuid()) + ".lock");
        InstanceGuard first;
        EXPECT_EQ(first.Acquire(lock), InstanceGuard::Result::Acquired);
        EXPECT_EQ(InstanceGuard().Acquire(lock), InstanceGuard::Result::AlreadyRunning);
    }
}

// The real program, started with some of this process's environment changed.
class Program {
public:
    Program(const std::string& exe, const std::vector<std::pair<std::string, std::string>>& changes) {
        std::vector<std::string> env;
        for (char** entry = environ; *entry != nullptr; ++entry) {
            const std::string text = *entry;
            bool changed = false;
            for (const auto& [name, value] : changes) changed = changed || text.rfind(name + "=", 0) == 0;
            if (!changed) env.push_back(text);
        }
        for (const auto& [name, value] : changes) env.push_back(name + "=" + value);
        std::vector<char*> envp;
        for (std::string& text : env) envp.push_back(text.data());
        envp.push_back(nullptr);
        std::string path = exe;
        char* argv[] = {path.data(), nullptr};
        pid_ = ::fork();
        if (pid_ == 0) {
            ::execve(argv[0], argv, envp.data());
            ::_exit(127);
        }
    }
    ~Program() {
        if (pid_ > 0 && !ended_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    pid_t pid() const { return pid_; }
    // The wait status once the program has ended within the limit.
    std::optional<int> WaitForEnd(std::chrono::seconds limit) {
        const auto until = std::chrono::steady_clock::now() + limit;
        for (;;) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                ended_ = true;
                return status;
            }
            if (std::chrono::steady_clock::now() >= until) return std::nullopt;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

private:
    pid_t pid_ = -1;
    bool ended_ = false;
};

// Whether the process holds an flock() lock, as the kernel lists them.
bool HoldsAnFlock(pid_t pid) {
    std::ifstream locks("/proc/locks");
    std::string line;
    while (std::getline(locks, line)) {
        std::istringstream fields(line);
        std::string number, kind, advisory, mode, holder;
        fields >> number >> kind >> advisory >> mode >> holder;
        if (kind == "FLOCK" && holder == std::to_string(pid)) return true;
    }
    return false;
}

bool WaitUntilHoldingAnFlock(Program& program, std::chrono::seconds limit) {
    for (const auto until = std::chrono::steady_clock::now() + limit; std::chrono::steady_clock::now() < until;) {
        if (HoldsAnFlock(program.pid())) return true;
        if (program.WaitForEnd(std::chrono::seconds(0))) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

// Before, the program aborted with an uncaught filesystem_error before any
// window when the runtime folder looped or was too long.
TEST(InstanceGuard, StartsAndGuardsAsUsualWithABadRuntimeFolder) {
    BadRuntimeFolders bad;
    for (const std::string& runtime : {bad.inLoop, bad.tooLong}) {
        TempDir temp;
        const std::vector<std::pair<std::string, std::string>> env{
            {"XDG_RUNTIME_DIR", runtime}, {"TMPDIR", temp.path()}, {"QT_QPA_PLATFORM", "offscreen"}};
        Program first(NEMBRA_SIM_PATH, env);
        ASSERT_TRUE(WaitUntilHoldingAnFlock(first, std::chrono::seconds(60)))
            << "the first copy did not start and take the guard; XDG_RUNTIME_DIR=" << runtime.substr(0, 60);
        Program second(NEMBRA_SIM_PATH, env);
        const std::optional<int> status = second.WaitForEnd(std::chrono::seconds(60));
        ASSERT_TRUE(status.has_value()) << "a second copy must end at once";
        EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
        EXPECT_FALSE(first.WaitForEnd(std::chrono::seconds(0))) << "the first copy keeps running";
        EXPECT_TRUE(std::filesystem::exists(temp.path() + "/KVL47Q-" + std::to_string(::getuid()) + ".lock"));
    }
}

}  // namespace
}  // namespace nembra::testing
