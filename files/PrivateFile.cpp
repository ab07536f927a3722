#include "files/PrivateFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace nembra {
namespace {

constexpr mode_t kPrivateMode = S_IRUSR | S_IWUSR;

// False (errno set) when the file stays readable or writable by others
// although it must not.
bool Narrow(int fd, ExistingFile existing) {
    if (existing == ExistingFile::Keep) return true;
    struct stat info {};
    if (::fstat(fd, &info) != 0) return false;
    if (!S_ISREG(info.st_mode) || (info.st_mode & 0077) == 0) return true;
    const bool owned = info.st_uid == ::geteuid();
    if (owned && ::fchmod(fd, kPrivateMode) == 0) return true;
    if (existing == ExistingFile::NarrowIfOwned) return true;
    errno = EPERM;
    return false;
}

}  // namespace

int OpenPrivateFile(const std::string& path, int flags, ExistingFile existing, Links links) {
    const int nofollow = links == Links::NotFollowed ? O_NOFOLLOW : 0;
    const int fd = ::open(path.c_str(), flags | O_CREAT | nofollow | O_CLOEXEC, kPrivateMode);
    if (fd < 0) return -1;
    if (Narrow(fd, existing)) return fd;
    const int error = errno;
    ::close(fd);
    errno = error;
    return -1;
}

std::string OpenFailureText(const std::string& path, int error) {
    struct stat info {};
    if (error == ELOOP && ::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode))
        return "it is a symbolic link, which is not followed";
    if (error == EPERM) return "it is open to other users and cannot be made private";
    return std::strerror(error);
}

}  // namespace nembra
