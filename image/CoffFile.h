#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace nembra {

// A read-only file whose every read is checked against its length, so a
// damaged COFF file can never make the reader take bytes it does not have.
class CoffFile {
public:
    enum class Read { Ok, PastEnd, Refused };

    CoffFile() = default;
    CoffFile(const CoffFile&) = delete;
    CoffFile& operator=(const CoffFile&) = delete;
    ~CoffFile();

    // Regular files only: a FIFO or device would block or never end.
    bool Open(const std::string& path);
    uint64_t size() const { return size_; }

    // Exactly count bytes from offset, or nothing.
    Read ReadAt(uint64_t offset, void* buffer, size_t count);

private:
    int fd_ = -1;
    uint64_t size_ = 0;
};

}  // namespace nembra
