#include "files/BoundedLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>

#include "files/PrivateFile.h"

namespace nembra {
namespace {

void Sleep(const LockPatience& patience, uint32_t ms) {
    if (patience.sleepMs) {
        patience.sleepMs(ms);
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace

LockResult LockWithin(int fd, const LockPatience& patience) {
    uint32_t waitedMs = 0;
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return LockResult::Locked;
        if (errno == EINTR) continue;
        if (errno != EWOULDBLOCK) return LockResult::Failed;
        if (waitedMs >= patience.limitMs) return LockResult::Busy;
        const uint32_t step = std::max<uint32_t>(1, std::min(patience.stepMs, patience.limitMs - waitedMs));
        Sleep(patience, step);
        waitedMs += step;
    }
}

std::string InUseText(const std::string& what) { return what + " is in use by another process"; }

LockFile::~LockFile() {
    if (fd_ >= 0) ::close(fd_);
}

LockResult LockFile::Acquire(const std::string& path, const LockPatience& patience, bool create) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = create ? OpenPrivateFile(path, O_RDWR, ExistingFile::NarrowIfOwned)
                 : ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd_ < 0) {
        error_ = errno;
        return !create && error_ == ENOENT ? LockResult::Locked : LockResult::Failed;
    }
    const LockResult result = LockWithin(fd_, patience);
    error_ = result == LockResult::Failed ? errno : 0;
    if (result != LockResult::Locked) {
        ::close(fd_);
        fd_ = -1;
    }
    return result;
}

}  // namespace nembra
