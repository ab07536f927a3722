#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "image/LoadFault.h"

namespace nembra {

// A program file's bytes, read whole for the readers and let go with it.
// They live in pages of their own rather than on the heap, so a large file
// gives its memory back to the system as soon as it is read.
class FileBytes {
public:
    // Program files of more than this are refused as too large.
    static constexpr uint64_t kLargestFile = uint64_t{256} << 20;

    FileBytes() = default;
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;
    ~FileBytes();

    // Regular files only (links followed): a FIFO or device would block or
    // never end. OpenFailed when the file cannot be opened, FileError when a
    // read is refused, TooLarge beyond kLargestFile, MemoryError when no
    // memory can be had for it.
    CoffResult Read(const std::string& path);

    std::span<const uint8_t> bytes() const { return {data_, size_}; }

private:
    void Release();

    uint8_t* data_ = nullptr;
    size_t size_ = 0;
    size_t mapped_ = 0;
};

}  // namespace nembra
