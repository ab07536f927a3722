#include "app/InstanceGuard.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

namespace nembra {

InstanceGuard::~InstanceGuard() {
    if (fd_ >= 0) ::close(fd_);
}

InstanceGuard::Result InstanceGuard::Acquire(const std::string& lockPath) {
    // O_NOFOLLOW: in a shared temp folder another user could plant a link.
    const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return Result::Unavailable;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        return error == EWOULDBLOCK ? Result::AlreadyRunning : Result::Unavailable;
    }
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
    return Result::Acquired;
}

std::string InstanceGuard::DefaultLockPath(const std::string& name) {
    // The non-throwing test: a runtime folder that is too long, loops or
    // cannot be searched must send the lock to the next folder, not end the
    // program before its window.
    std::error_code error;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && *runtime != '\0' && std::filesystem::is_directory(runtime, error))
        return (std::filesystem::path(runtime) / (name + ".lock")).string();
    std::filesystem::path temp = std::filesystem::temp_directory_path(error);
    if (error) temp = "/tmp";
    return (temp / (name + "-" + std::to_string(::getuid()) + ".lock")).string();
}

}  // namespace nembra
