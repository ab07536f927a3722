#include "app/InstanceGuard.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "files/PrivateFile.h"

namespace nembra {
namespace {

// Why `folder` cannot hold the guard, or nothing when it can: a folder this
// user owns, which no one else may write, so no one else may make the guard.
std::string WhyNotPrivate(const std::string& folder) {
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0) return folder + ": " + std::strerror(errno);
    if (!S_ISDIR(info.st_mode)) return folder + " is not a folder";
    if (info.st_uid != ::geteuid()) return folder + " belongs to another user";
    if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0) return folder + " may be written by other users";
    if (::access(folder.c_str(), W_OK | X_OK) != 0) return folder + " is not writable: " + std::strerror(errno);
    return {};
}

// The folder, and each missing folder above it below `base`, made 0700.
void MakeFolders(const std::string& base, const std::vector<std::string>& parts) {
    std::string path = base;
    for (const std::string& part : parts) {
        path += "/" + part;
        ::mkdir(path.c_str(), S_IRWXU);
    }
}

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

}  // namespace

InstanceGuard::~InstanceGuard() {
    if (fd_ >= 0) ::close(fd_);
}

InstanceGuard::Result InstanceGuard::Acquire(const std::string& lockPath) {
    const int fd = OpenPrivateFile(lockPath, O_RDWR, ExistingFile::NarrowIfOwned);
    if (fd < 0) {
        error_ = errno;
        return Result::Unavailable;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        error_ = errno;
        ::close(fd);
        return error_ == EWOULDBLOCK ? Result::AlreadyRunning : Result::Unavailable;
    }
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
    return Result::Acquired;
}

InstanceGuard::Result InstanceGuard::AcquireDefault(const std::string& name, std::string& why) {
    std::vector<std::string> passedOver;
    for (const std::string& folder : GuardFolders(passedOver)) {
        const std::string path = folder + "/" + name + ".lock";
        const Result result = Acquire(path);
        if (result != Result::Unavailable) return result;
        passedOver.push_back(path + ": " + OpenFailureText(path, error_));
    }
    why.clear();
    for (const std::string& reason : passedOver) why += (why.empty() ? "" : "; ") + reason;
    return Result::Unavailable;
}

std::vector<std::string> InstanceGuard::GuardFolders(std::vector<std::string>& passedOver) {
    std::vector<std::string> folders;
    const std::string runtime = Environment("XDG_RUNTIME_DIR");
    const std::string runtimeFault = runtime.empty() ? "XDG_RUNTIME_DIR is not set" : WhyNotPrivate(runtime);
    if (runtimeFault.empty())
        folders.push_back(runtime);
    else
        passedOver.push_back(runtimeFault);
    const std::string home = Environment("HOME");
    if (home.empty() || home.front() != '/') {
        passedOver.push_back("HOME is not set");
        return folders;
    }
    MakeFolders(home, {".local", "state", "nembra"});
    const std::string state = home + "/.local/state/nembra";
    const std::string stateFault = WhyNotPrivate(state);
    if (stateFault.empty())
        folders.push_back(state);
    else
        passedOver.push_back(stateFault);
    return folders;
}

std::string InstanceGuard::DefaultLockPath(const std::string& name) {
    std::vector<std::string> passedOver;
    const std::vector<std::string> folders = GuardFolders(passedOver);
    return folders.empty() ? std::string() : folders.front() + "/" + name + ".lock";
}

}  // namespace nembra
