// Allocation failure while the reader creates section records. This test
// executable replaces the global allocator with one that can be told to fail.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "image/LoadCoffFile.h"
#include "tests/image/ImageTestSupport.h"
#include "tests/support/RecordingStatus.h"

namespace {

// Counts down on each allocation while armed; the one that reaches zero fails.
thread_local long allocationsUntilFailure = -1;

void* Allocate(std::size_t size) {
    if (allocationsUntilFailure > 0 && --allocationsUntilFailure == 0) {
        allocationsUntilFailure = -1;
        throw std::bad_alloc();
    }
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace nembra::testing {
namespace {

CoffResult ReadFailingAt(CoffFixture& f, const std::string& path, long allocation) {
    allocationsUntilFailure = allocation;
    const CoffResult result = ReadCoffFile(path, 4, f.image);
    allocationsUntilFailure = -1;
    return result;
}

TEST(CoffMemory, FailedSectionRecordIsMemoryError) {
    CoffFixture f;
    const std::string path =
        f.dir.Write("t.out", BuildCoff(FileWith({Section("a", 0x8000, Pattern(4)), Section("b", 0x9000, Pattern(4))})));
    EXPECT_EQ(ReadFailingAt(f, path, 1), CoffResult::MemoryError);
    EXPECT_EQ(f.image.sectionCount(), 0);
    // The sections kept before the failure stay until the Load clears them.
    EXPECT_EQ(ReadFailingAt(f, path, 2), CoffResult::MemoryError);
    EXPECT_EQ(f.image.sectionCount(), 1);
    EXPECT_EQ(ReadFailingAt(f, path, -1), CoffResult::Ok);
    EXPECT_EQ(f.image.sectionCount(), 2);
}

}  // namespace
}  // namespace nembra::testing

namespace nembra::testing {
namespace {

// Whatever allocation fails inside a Load, the out-of-memory box comes up
// exactly when the message line reports the memory failure, and before it.
TEST(CoffMemory, LoadReportsRunningOutOfMemoryBeforeItsMessage) {
    CoffFixture f;
    const std::string path =
        f.dir.Write("t.out", BuildCoff(FileWith({Section("a", 0x8000, Pattern(4)), Section("b", 0x9000, Pattern(4))})));
    int memoryFailures = 0;
    for (long allocation = 1; allocation < 200; ++allocation) {
        DeviceType deviceType = 4;
        RecentFiles recent;
        RecordingStatus status;
        int boxes = 0;
        size_t linesBeforeBox = 0;
        LoadContext ctx{f.image, deviceType, 4, recent, status, [&] {
                            ++boxes;
                            linesBeforeBox = status.lines.size();
                        }};
        bool loaded = false;
        allocationsUntilFailure = allocation;
        try {
            loaded = LoadCoffFile(ctx, path, false).loaded;
        } catch (const std::bad_alloc&) {
            // An allocation outside the reader (the path, the status line) failed.
        }
        allocationsUntilFailure = -1;
        if (status.lastText() == "Memory exception error happens") {
            ++memoryFailures;
            EXPECT_EQ(boxes, 1);
            EXPECT_EQ(linesBeforeBox, 0u);
            EXPECT_FALSE(f.image.imageLoaded);
            EXPECT_EQ(f.image.sectionCount(), 0);
        } else {
            EXPECT_EQ(boxes, 0);
        }
        if (loaded) break;
    }
    EXPECT_GE(memoryFailures, 2);  // one per section record at least
}

}  // namespace
}  // namespace nembra::testing
