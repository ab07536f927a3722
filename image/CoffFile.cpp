#include "image/CoffFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <limits>

namespace nembra {

CoffFile::~CoffFile() {
    if (fd_ >= 0) ::close(fd_);
}

bool CoffFile::Open(const std::string& path) {
    // Non-blocking so that opening a FIFO returns at once; it is refused below.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    size_ = static_cast<uint64_t>(info.st_size);
    return true;
}

// Positioned reads without a stream buffer: a file of many small sections
// costs one call per read, not a seek and a buffer refill.
CoffFile::Read CoffFile::ReadAt(uint64_t offset, void* buffer, size_t count) {
    if (offset > size_ || count > size_ - offset) return Read::PastEnd;
    if (offset + count > static_cast<uint64_t>(std::numeric_limits<off_t>::max())) return Read::Refused;
    auto* at = static_cast<char*>(buffer);
    while (count > 0) {
        const ssize_t got = ::pread(fd_, at, count, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return Read::Refused;
        if (got == 0) return Read::PastEnd;  // the file shrank under us
        at += got;
        offset += static_cast<uint64_t>(got);
        count -= static_cast<size_t>(got);
    }
    return Read::Ok;
}

}  // namespace nembra
