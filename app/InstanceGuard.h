#pragma once
#include <string>

namespace nembra {

// Keeps a second copy of the program from running. The guard is an flock()ed
// lock file: the kernel drops the lock when the holding process dies, so a
// crashed first copy never locks the user out.
class InstanceGuard {
public:
    enum class Result {
        Acquired,        // this process is the first copy
        AlreadyRunning,  // another live process holds the guard
        Unavailable,     // no lock file could be made; run unguarded
    };

    InstanceGuard() = default;
    ~InstanceGuard();
    InstanceGuard(const InstanceGuard&) = delete;
    InstanceGuard& operator=(const InstanceGuard&) = delete;

    Result Acquire(const std::string& lockPath);

    // $XDG_RUNTIME_DIR/<name>.lock, else <temp>/<name>-<uid>.lock.
    static std::string DefaultLockPath(const std::string& name);

private:
    int fd_ = -1;
};

inline constexpr const char* kInstanceGuardName = "KVL47Q";

}  // namespace nembra
