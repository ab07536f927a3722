#include "tests/support/LockHolder.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace nembra::testing {

LockHolder::LockHolder(const std::string& path) {
    int ready[2];
    if (::pipe(ready) != 0) return;
    child_ = ::fork();
    if (child_ == 0) {
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT, 0644);
        const char state = fd >= 0 && ::flock(fd, LOCK_EX) == 0 ? 'y' : 'n';
        (void)!::write(ready[1], &state, 1);
        for (;;) ::pause();
    }
    char state = 'n';
    if (child_ > 0 && ::read(ready[0], &state, 1) == 1) held_ = state == 'y';
    ::close(ready[0]);
    ::close(ready[1]);
}

LockHolder::~LockHolder() {
    if (child_ <= 0) return;
    ::kill(child_, SIGKILL);
    ::waitpid(child_, nullptr, 0);
}

ScopedUmask::ScopedUmask(mode_t mask) : old_(::umask(mask)) {}
ScopedUmask::~ScopedUmask() { ::umask(old_); }

int FileMode(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return -1;
    return static_cast<int>(info.st_mode & 07777);
}

}  // namespace nembra::testing
