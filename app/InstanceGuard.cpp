#include "app/InstanceGuard.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "files/PrivateFile.h"
#include "files/PrivateFolder.h"

namespace nembra {

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
    return PrivateRuntimeFolders(passedOver);
}

std::string InstanceGuard::DefaultLockPath(const std::string& name) {
    std::vector<std::string> passedOver;
    const std::vector<std::string> folders = GuardFolders(passedOver);
    return folders.empty() ? std::string() : folders.front() + "/" + name + ".lock";
}

}  // namespace nembra
