#include "image/CoffFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <limits>

namespace nembra {

CoffFile::~CoffFile() {
    if (file_) std::fclose(file_);
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
    file_ = ::fdopen(fd, "rb");
    if (!file_) {
        ::close(fd);
        return false;
    }
    size_ = static_cast<uint64_t>(info.st_size);
    return true;
}

bool CoffFile::SeekTo(uint64_t offset) {
    if (offset > static_cast<uint64_t>(std::numeric_limits<off_t>::max())) return false;
    return ::fseeko(file_, static_cast<off_t>(offset), SEEK_SET) == 0;
}

CoffFile::Read CoffFile::ReadAt(uint64_t offset, void* buffer, size_t count) {
    if (offset > size_ || count > size_ - offset) return Read::PastEnd;
    if (count == 0) return Read::Ok;
    if (!SeekTo(offset)) return Read::Refused;
    if (std::fread(buffer, 1, count, file_) != count) {
        // The file shrank under us, or the system refused the read.
        return std::feof(file_) ? Read::PastEnd : Read::Refused;
    }
    return Read::Ok;
}

}  // namespace nembra
