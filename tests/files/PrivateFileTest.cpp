#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "files/BoundedLock.h"
#include "files/PrivateFile.h"
#include "tests/support/CoffBuilder.h"
#include "tests/support/LockHolder.h"

namespace nembra::testing {
namespace {

void MakeFile(const std::string& path, mode_t mode) {
    std::ofstream(path) << "old";
    ::chmod(path.c_str(), mode);
}

TEST(PrivateFile, IsMade0600WhateverTheUmask) {
    TempDir dir;
    ScopedUmask open(0);
    const std::string path = dir.path() + "/f";
    const int fd = OpenPrivateFile(path, O_WRONLY, ExistingFile::Keep);
    ASSERT_GE(fd, 0);
    ::close(fd);
    EXPECT_EQ(FileMode(path), 0600);
}

TEST(PrivateFile, AnExistingFileIsNarrowedOnlyWhereAsked) {
    TempDir dir;
    const std::string kept = dir.path() + "/kept", narrowed = dir.path() + "/narrowed", must = dir.path() + "/must";
    MakeFile(kept, 0644);
    MakeFile(narrowed, 0666);
    MakeFile(must, 0604);
    for (const auto& [path, existing] : {std::pair{kept, ExistingFile::Keep},
                                         {narrowed, ExistingFile::NarrowIfOwned},
                                         {must, ExistingFile::MustNarrow}}) {
        const int fd = OpenPrivateFile(path, O_WRONLY, existing);
        ASSERT_GE(fd, 0) << path;
        ::close(fd);
    }
    EXPECT_EQ(FileMode(kept), 0644);
    EXPECT_EQ(FileMode(narrowed), 0600);
    EXPECT_EQ(FileMode(must), 0600);
}

// A link planted where the file belongs is refused, and what it points at
// is neither created nor changed.
TEST(PrivateFile, IsNeverOpenedThroughASymbolicLink) {
    TempDir dir;
    const std::string target = dir.path() + "/target", link = dir.path() + "/link";
    MakeFile(target, 0644);
    std::filesystem::create_symlink(target, link);
    errno = 0;
    EXPECT_LT(OpenPrivateFile(link, O_WRONLY | O_APPEND, ExistingFile::MustNarrow), 0);
    EXPECT_EQ(OpenFailureText(link, errno), "it is a symbolic link, which is not followed");
    EXPECT_EQ(FileMode(target), 0644);

    std::filesystem::create_symlink(dir.path() + "/missing", dir.path() + "/dangling");
    EXPECT_LT(OpenPrivateFile(dir.path() + "/dangling", O_WRONLY, ExistingFile::Keep), 0);
    EXPECT_FALSE(std::filesystem::exists(dir.path() + "/missing"));

    const int fd = OpenPrivateFile(link, O_WRONLY, ExistingFile::MustNarrow, Links::Followed);
    ASSERT_GE(fd, 0);
    ::close(fd);
    EXPECT_EQ(FileMode(target), 0600);
}

// Only regular files are narrowed: an output to a pipe or a device keeps its mode.
TEST(PrivateFile, LeavesWhatIsNotARegularFileAsItIs) {
    TempDir dir;
    const std::string fifo = dir.path() + "/fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const int fd = OpenPrivateFile(fifo, O_RDWR, ExistingFile::MustNarrow);
    ASSERT_GE(fd, 0);
    ::close(fd);
    EXPECT_EQ(FileMode(fifo), 0644);
}

// The wait runs on the test's own sleep: the bound is exact and costs no time.
struct CountedSleep {
    uint32_t sleptMs = 0;
    int calls = 0;
    LockPatience Patience(uint32_t limitMs = 5000) {
        LockPatience patience;
        patience.limitMs = limitMs;
        patience.sleepMs = [this](uint32_t ms) {
            sleptMs += ms;
            ++calls;
        };
        return patience;
    }
};

TEST(BoundedLock, ALockHeldByAnotherProcessIsWaitedForUpToTheLimit) {
    TempDir dir;
    const std::string path = dir.path() + "/x.lock";
    LockHolder holder(path);
    ASSERT_TRUE(holder.held());
    CountedSleep sleep;
    LockFile lock;
    EXPECT_EQ(lock.Acquire(path, sleep.Patience(5000)), LockResult::Busy);
    EXPECT_EQ(sleep.sleptMs, 5000u);
    EXPECT_EQ(sleep.calls, 500);
    EXPECT_EQ(InUseText("The log file x"), "The log file x is in use by another process");
}

TEST(BoundedLock, IsTakenOnceTheOtherProcessLetsGo) {
    TempDir dir;
    const std::string path = dir.path() + "/x.lock";
    auto holder = std::make_unique<LockHolder>(path);
    ASSERT_TRUE(holder->held());
    CountedSleep sleep;
    LockPatience patience = sleep.Patience();
    patience.sleepMs = [&](uint32_t ms) {
        sleep.sleptMs += ms;
        if (sleep.sleptMs == 1000) holder.reset();
    };
    LockFile lock;
    EXPECT_EQ(lock.Acquire(path, patience), LockResult::Locked);
    EXPECT_EQ(sleep.sleptMs, 1000u);
    // This process holds it now.
    LockFile second;
    EXPECT_EQ(second.Acquire(path, CountedSleep().Patience(0)), LockResult::Busy);
}

TEST(BoundedLock, LockFilesAreMadePrivateAndANarrowCheckMakesNone) {
    TempDir dir;
    ScopedUmask open(0);
    const std::string path = dir.path() + "/x.lock";
    {
        LockFile probe;
        EXPECT_EQ(probe.Acquire(path, {}, false), LockResult::Locked);
        EXPECT_FALSE(std::filesystem::exists(path));
    }
    LockFile lock;
    ASSERT_EQ(lock.Acquire(path, {}), LockResult::Locked);
    EXPECT_EQ(FileMode(path), 0600);

    const std::string old = dir.path() + "/old.lock";
    MakeFile(old, 0644);
    LockFile narrowed;
    ASSERT_EQ(narrowed.Acquire(old, {}), LockResult::Locked);
    EXPECT_EQ(FileMode(old), 0600);
}

TEST(BoundedLock, ALinkedLockFileFails) {
    TempDir dir;
    const std::string target = dir.path() + "/target";
    std::filesystem::create_symlink(target, dir.path() + "/x.lock");
    LockFile lock;
    EXPECT_EQ(lock.Acquire(dir.path() + "/x.lock", {}), LockResult::Failed);
    EXPECT_EQ(lock.error(), ELOOP);
    EXPECT_FALSE(std::filesystem::exists(target));
}

}  // namespace
}  // namespace nembra::testing
