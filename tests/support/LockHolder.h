#pragma once
#include <sys/types.h>

#include <string>

namespace nembra::testing {

// Another process that holds an exclusive flock on a file, as another user's
// program would, until the holder is destroyed (the process is then killed).
class LockHolder {
public:
    // Creates the file when missing. held() is false when the child could
    // not take the lock.
    explicit LockHolder(const std::string& path);
    ~LockHolder();
    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;

    bool held() const { return held_; }

private:
    pid_t child_ = -1;
    bool held_ = false;
};

// Sets the process's umask for the length of a test (0: modes come from the
// code alone).
class ScopedUmask {
public:
    explicit ScopedUmask(mode_t mask);
    ~ScopedUmask();
    ScopedUmask(const ScopedUmask&) = delete;
    ScopedUmask& operator=(const ScopedUmask&) = delete;

private:
    mode_t old_;
};

// The permission bits of a file (not following a link); -1 when it is missing.
int FileMode(const std::string& path);

}  // namespace nembra::testing
