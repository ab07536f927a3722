#pragma once
#include <string>
#include <vector>

namespace nembra {

// Keeps a second copy of the program from running. The guard is an flock()ed
// lock file: the kernel drops the lock when the holding process dies, so a
// crashed first copy never locks the user out. It lives only where no other
// user can write, so no one else can make it first and hold it.
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

    // The lock file at `lockPath`: made 0600, never through a symbolic link.
    Result Acquire(const std::string& lockPath);
    // The guard <folder>/<name>.lock in the first of GuardFolders() where it
    // can be made. Unavailable with `why` naming each place and its fault.
    Result AcquireDefault(const std::string& name, std::string& why);

    // Where the guard may live, in order: $XDG_RUNTIME_DIR when it is a
    // folder this user owns that no one else may write, then
    // $HOME/.local/state/nembra (made 0700 when missing) on the same terms.
    // Never a shared folder such as /tmp. `passedOver` gets one reason per
    // place that cannot be used.
    static std::vector<std::string> GuardFolders(std::vector<std::string>& passedOver);
    // The first place's lock path; empty when there is none.
    static std::string DefaultLockPath(const std::string& name);

private:
    int fd_ = -1;
    int error_ = 0;  // errno of the last Unavailable
};

inline constexpr const char* kInstanceGuardName = "KVL47Q";

}  // namespace nembra
