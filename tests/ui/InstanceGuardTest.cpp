#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/InstanceGuard.h"
#include "tests/support/CoffBuilder.h"

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

}  // namespace
}  // namespace nembra::testing
