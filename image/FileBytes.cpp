#include "image/FileBytes.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace nembra {
namespace {

// Closes the descriptor on every way out.
struct Descriptor {
    int fd = -1;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
};

bool ReadAll(int fd, uint8_t* at, size_t count) {
    uint64_t offset = 0;
    while (count > 0) {
        const ssize_t got = ::pread(fd, at, count, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;  // refused, or the file shrank under us
        at += got;
        offset += static_cast<uint64_t>(got);
        count -= static_cast<size_t>(got);
    }
    return true;
}

}  // namespace

FileBytes::~FileBytes() { Release(); }

void FileBytes::Release() {
    if (mapped_ != 0) ::munmap(data_, mapped_);
    data_ = nullptr;
    size_ = 0;
    mapped_ = 0;
}

CoffResult FileBytes::Read(const std::string& path) {
    Release();
    // Non-blocking so that opening a FIFO returns at once; it is refused below.
    Descriptor file{::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    if (file.fd < 0) return CoffResult::OpenFailed;
    struct stat info {};
    if (::fstat(file.fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0) return CoffResult::OpenFailed;
    const auto size = static_cast<uint64_t>(info.st_size);
    if (size > kLargestFile) return CoffResult::TooLarge;
    if (size == 0) return CoffResult::Ok;
    void* pages = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    if (pages == MAP_FAILED) return CoffResult::MemoryError;
    data_ = static_cast<uint8_t*>(pages);
    mapped_ = static_cast<size_t>(size);
    if (!ReadAll(file.fd, data_, mapped_)) {
        Release();
        return CoffResult::FileError;
    }
    size_ = mapped_;
    return CoffResult::Ok;
}

}  // namespace nembra
