#pragma once
#include <cstdint>
#include <functional>
#include <string>

namespace nembra {

// How long a lock held by another process is waited for, and how the wait
// sleeps; tests give a sleep of their own, so the bound costs them no time.
struct LockPatience {
    uint32_t limitMs = 5000;
    uint32_t stepMs = 10;
    std::function<void(uint32_t)> sleepMs;  // empty: the thread sleeps
};

enum class LockResult {
    Locked,  // this descriptor holds the lock
    Busy,    // another process held it for the whole wait
    Failed,  // the lock cannot be taken at all (errno set)
};

// An exclusive flock on `fd`, tried again every stepMs until limitMs have
// passed: a lock someone else holds forever must not block a run forever.
LockResult LockWithin(int fd, const LockPatience& patience);

// "<what> is in use by another process".
std::string InUseText(const std::string& what);

// An flock on a lock file of its own (made by OpenPrivateFile), held until
// destruction.
class LockFile {
public:
    LockFile() = default;
    ~LockFile();
    LockFile(const LockFile&) = delete;
    LockFile& operator=(const LockFile&) = delete;

    // `create` false: a missing lock file is nobody's lock (Locked, no file made).
    LockResult Acquire(const std::string& path, const LockPatience& patience, bool create = true);
    // The errno of a Failed Acquire.
    int error() const { return error_; }

private:
    int fd_ = -1;
    int error_ = 0;
};

}  // namespace nembra
