#include "station/SimStates.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "files/PrivateFile.h"
#include "sim/SimStoreFile.h"
#include "station/PodStation.h"

namespace nembra::station {
namespace {

// An empty file (from mktemp) is fine.
bool ForeignStateFile(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec) || std::filesystem::file_size(path, ec) == 0) return false;
    SimStore store;
    return !LoadStoreFile(path, store);
}

// The simulated pod's store lives in a folder that may not exist yet.
bool PrepareSimState(const std::string& path, std::string& error) {
    if (path.empty()) return true;
    if (ForeignStateFile(path)) {
        error = "The file " + path + " is not a simulated pod's store; it is left as it is";
        return false;
    }
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (parent.empty()) return true;
    std::error_code ec;
    std::filesystem::create_directories(parent, ec);
    if (!ec) return true;
    error = "Cannot create the simulated pod's state folder " + parent.string() + ": " + ec.message();
    return false;
}

// A POD Write saves the store under its lock. One that another process
// holds past the wait fails the command here, before any pod is touched;
// a missing lock file is nobody's lock, and none is made for the check.
bool StoreLockFree(const std::string& path, const LockPatience& patience, std::string& error) {
    LockFile lock;
    const std::string lockPath = StoreLockPath(path);
    switch (lock.Acquire(lockPath, patience, false)) {
        case LockResult::Locked: return true;
        case LockResult::Busy: error = InUseText("The simulated pod's store " + path); return false;
        case LockResult::Failed: break;
    }
    error = "Cannot lock the simulated pod's store " + path + ": " + OpenFailureText(lockPath, lock.error());
    return false;
}

}  // namespace

bool PrepareSimStates(const std::string& statePath, int simPods, bool podWrite, const LockPatience& patience,
                      std::string& error) {
    std::vector<std::string> paths{statePath};
    if (simPods > 0) paths.clear();
    for (int n = 1; n <= simPods; ++n) paths.push_back(SimPodStorePath(statePath, SimPodSerial(n)));
    for (const std::string& path : paths) {
        if (!PrepareSimState(path, error)) return false;
        if (!path.empty() && podWrite && !StoreLockFree(path, patience, error)) return false;
    }
    return true;
}

}  // namespace nembra::station
