#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
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
#include "tests/support/LockHolder.h"

extern char** environ;

namespace nembra::testing {
namespace {

// Sets (or, with no value, removes) an environment variable for the length of a test.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        value ? ::setenv(name, value->c_str(), 1) : ::unsetenv(name);
    }
    ~ScopedEnv() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

// A home folder of the test's own, where the guard's state folder is made.
struct TestHome {
    TempDir dir;
    ScopedEnv home{"HOME", dir.path()};
    std::string Lock() const { return dir.path() + "/.local/state/nembra/KVL47Q.lock"; }
};

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
    TestHome home;
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

TEST(InstanceGuard, AnUnusableRuntimeFolderSendsTheLockToTheHomeStateFolder) {
    BadRuntimeFolders bad;
    TestHome home;
    for (const std::string& runtime : {bad.inLoop, bad.tooLong}) {
        ScopedEnv env("XDG_RUNTIME_DIR", runtime);
        std::string lock;
        EXPECT_NO_THROW(lock = InstanceGuard::DefaultLockPath("KVL47Q")) << runtime.substr(0, 40);
        EXPECT_EQ(lock, home.Lock());
        InstanceGuard first;
        EXPECT_EQ(first.Acquire(lock), InstanceGuard::Result::Acquired);
        EXPECT_EQ(InstanceGuard().Acquire(lock), InstanceGuard::Result::AlreadyRunning);
    }
}

// The real program, started with some of this process's environment changed.
class Program {
public:
    // An empty value removes the variable; `errPath` (when given) takes standard error.
    Program(const std::string& exe, const std::vector<std::pair<std::string, std::string>>& changes,
            const std::string& errPath = {}) {
        std::vector<std::string> env;
        for (char** entry = environ; *entry != nullptr; ++entry) {
            const std::string text = *entry;
            bool changed = false;
            for (const auto& [name, value] : changes) changed = changed || text.rfind(name + "=", 0) == 0;
            if (!changed) env.push_back(text);
        }
        for (const auto& [name, value] : changes)
            if (!value.empty()) env.push_back(name + "=" + value);
        std::vector<char*> envp;
        for (std::string& text : env) envp.push_back(text.data());
        envp.push_back(nullptr);
        std::string path = exe;
        char* argv[] = {path.data(), nullptr};
        pid_ = ::fork();
        if (pid_ == 0) {
            const int err = errPath.empty() ? -1 : ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (err >= 0) ::dup2(err, STDERR_FILENO);
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
            {"XDG_RUNTIME_DIR", runtime}, {"HOME", temp.path()}, {"QT_QPA_PLATFORM", "offscreen"}};
        Program first(NEMBRA_SIM_PATH, env);
        ASSERT_TRUE(WaitUntilHoldingAnFlock(first, std::chrono::seconds(60)))
            << "the first copy did not start and take the guard; XDG_RUNTIME_DIR=" << runtime.substr(0, 60);
        Program second(NEMBRA_SIM_PATH, env);
        const std::optional<int> status = second.WaitForEnd(std::chrono::seconds(60));
        ASSERT_TRUE(status.has_value()) << "a second copy must end at once";
        EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
        EXPECT_FALSE(first.WaitForEnd(std::chrono::seconds(0))) << "the first copy keeps running";
        EXPECT_TRUE(std::filesystem::exists(temp.path() + "/.local/state/nembra/KVL47Q.lock"));
    }
}

// A folder whose path is so long that no lock file name fits below it.
std::string DeepFolder(const std::string& base, size_t length) {
    std::string path = base;
    int fd = ::open(base.c_str(), O_DIRECTORY | O_RDONLY);
    while (fd >= 0 && path.size() < length) {
        const std::string part(std::min<size_t>(200, length - path.size() - 1), 'd');
        ::mkdirat(fd, part.c_str(), 0700);
        const int next = ::openat(fd, part.c_str(), O_DIRECTORY | O_RDONLY);
        ::close(fd);
        fd = next;
        path += "/" + part;
    }
    if (fd >= 0) ::close(fd);
    return path;
}

constexpr uid_t kOtherUser = 65534;

// The guard goes to the home state folder whenever the runtime folder is not
// the user's own private folder, or the lock cannot be made in it. Before,
// an unset variable sent it to the shared temp folder, and a runtime folder
// of another user (after su) or a lock path too long left it unmade, so
// every copy opened its own window.
TEST(InstanceGuard, GoesToTheHomeStateFolderWhenTheRuntimeFolderWillNotDo) {
    TempDir runtimes;
    const std::string othersWrite = runtimes.path() + "/others-write";
    const std::string groupWrites = runtimes.path() + "/group-writes";
    const std::string anotherUsers = runtimes.path() + "/another-users";
    std::filesystem::create_directory(othersWrite);
    std::filesystem::create_directory(groupWrites);
    std::filesystem::create_directory(anotherUsers);
    ::chmod(othersWrite.c_str(), 0777);
    ::chmod(groupWrites.c_str(), 0770);
    ::chmod(anotherUsers.c_str(), 0700);
    // Root owns what it makes; another user's folder is one handed over. An
    // ordinary user meets one as a folder it may not write.
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(anotherUsers.c_str(), kOtherUser, kOtherUser), 0);
    } else {
        ::chmod(anotherUsers.c_str(), 0500);
    }
    const std::string tooLong = DeepFolder(runtimes.path(), 4090);
    ASSERT_TRUE(std::filesystem::is_directory(tooLong));

    for (const std::optional<std::string>& runtime :
         {std::optional<std::string>(), std::optional<std::string>(""), std::optional(othersWrite),
          std::optional(groupWrites), std::optional(anotherUsers), std::optional(tooLong)}) {
        const std::string label = runtime ? runtime->substr(0, 60) : "unset";
        TestHome home;
        ScopedEnv env("XDG_RUNTIME_DIR", runtime);
        InstanceGuard first;
        std::string why;
        ASSERT_EQ(first.AcquireDefault("KVL47Q", why), InstanceGuard::Result::Acquired) << label << ": " << why;
        EXPECT_EQ(FileMode(home.Lock()), 0600) << label;
        EXPECT_EQ(FileMode(home.dir.path() + "/.local/state/nembra"), 0700) << label;
        EXPECT_EQ(InstanceGuard().AcquireDefault("KVL47Q", why), InstanceGuard::Result::AlreadyRunning) << label;
        if (runtime && !runtime->empty()) {
            EXPECT_EQ(FileMode(*runtime + "/KVL47Q.lock"), -1) << label;
        }
    }
}

TEST(InstanceGuard, StaysInAPrivateRuntimeFolder) {
    TempDir runtime;
    ::chmod(runtime.path().c_str(), 0700);
    TestHome home;
    ScopedEnv env("XDG_RUNTIME_DIR", runtime.path());
    InstanceGuard first;
    std::string why;
    ASSERT_EQ(first.AcquireDefault("KVL47Q", why), InstanceGuard::Result::Acquired) << why;
    EXPECT_EQ(FileMode(runtime.path() + "/KVL47Q.lock"), 0600);
    EXPECT_EQ(FileMode(home.Lock()), -1);
}

// Before, another user could make /tmp/KVL47Q-<uid>.lock first and hold it:
// the window then ended silently at every start.
TEST(InstanceGuard, AnotherUsersFileInTheOldTempPlaceNoLongerBlocks) {
    TempDir temp;
    ScopedEnv tmpdir("TMPDIR", temp.path());
    ScopedEnv env("XDG_RUNTIME_DIR", std::nullopt);
    TestHome home;
    const std::string planted = temp.path() + "/KVL47Q-" + std::to_string(::getuid()) + ".lock";
    LockHolder other(planted);
    ASSERT_TRUE(other.held());
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(planted.c_str(), kOtherUser, kOtherUser), 0);
    }
    InstanceGuard guard;
    std::string why;
    EXPECT_EQ(guard.AcquireDefault("KVL47Q", why), InstanceGuard::Result::Acquired) << why;
    EXPECT_EQ(FileMode(home.Lock()), 0600);
}

// A link planted where the guard goes is not followed.
TEST(InstanceGuard, IsNeverMadeThroughALink) {
    TempDir dir;
    std::filesystem::create_symlink(dir.path() + "/elsewhere", dir.path() + "/KVL47Q.lock");
    EXPECT_EQ(InstanceGuard().Acquire(dir.path() + "/KVL47Q.lock"), InstanceGuard::Result::Unavailable);
    EXPECT_FALSE(std::filesystem::exists(dir.path() + "/elsewhere"));
}

TEST(InstanceGuard, SaysWhyWhenNoPlaceWillDo) {
    TempDir dir;
    const std::string notAFolder = dir.path() + "/home-file";
    std::ofstream(notAFolder) << "x";
    ScopedEnv runtime("XDG_RUNTIME_DIR", std::nullopt);
    ScopedEnv home("HOME", notAFolder);
    std::string why;
    EXPECT_EQ(InstanceGuard().AcquireDefault("KVL47Q", why), InstanceGuard::Result::Unavailable);
    EXPECT_EQ(why, "XDG_RUNTIME_DIR is not set; " + notAFolder + "/.local/state/nembra: Not a directory");
}

// With no guard the window starts all the same, and standard error says why.
TEST(InstanceGuard, TheWindowStartsWithoutAGuardAndSaysWhy) {
    TempDir dir;
    const std::string notAFolder = dir.path() + "/home-file";
    std::ofstream(notAFolder) << "x";
    const std::string errPath = dir.path() + "/stderr";
    Program window(NEMBRA_SIM_PATH, {{"XDG_RUNTIME_DIR", ""}, {"HOME", notAFolder}, {"QT_QPA_PLATFORM", "offscreen"}},
                   errPath);
    std::string err;
    for (const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
         std::chrono::steady_clock::now() < until && err.find('\n') == std::string::npos;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        std::ifstream in(errPath);
        std::getline(in, err, '\0');
    }
    EXPECT_EQ(err.substr(0, err.find('\n')), "Cannot make the single-instance guard (XDG_RUNTIME_DIR is not set; " +
                                                 notAFolder +
                                                 "/.local/state/nembra: Not a directory); starting without it");
    EXPECT_FALSE(window.WaitForEnd(std::chrono::seconds(1))) << "the window runs";
}

}  // namespace
}  // namespace nembra::testing
