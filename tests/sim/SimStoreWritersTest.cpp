#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <thread>
#include <vector>

#include "sim/SimStoreFile.h"
#include "tests/support/CoffBuilder.h"

namespace nembra::testing {
namespace {

// A store that differs from writer to writer and is big enough to take a
// while to write: a writer that saw another's half-written file would fail.
SimStore StoreOf(uint8_t writer) {
    SimStore store;
    store.hasProgram = true;
    store.deviceCode = 5;
    store.sectionCount = 1;
    store.sections = {{0x3F0000, 132u * 200u, 0}};
    store.pages.assign(200, std::vector<uint8_t>(kSimPageBytes, writer));
    return store;
}

void ExpectOneWritersStore(const std::string& path, int writers) {
    SimStore loaded;
    ASSERT_TRUE(LoadStoreFile(path, loaded));
    const uint8_t writer = loaded.pages.front().front();
    EXPECT_LT(writer, writers);
    EXPECT_EQ(loaded, StoreOf(writer));
}

void ExpectNoTemporaryLeft(const std::string& dir) {
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(name == "pod.store" || name == "pod.store.lock") << name;
    }
}

TEST(SimStoreWriters, ConcurrentThreadsLeaveOneWholeStore) {
    TempDir dir;
    const std::string path = dir.path() + "/pod.store";
    constexpr int kWriters = 8;
    std::vector<std::thread> threads;
    std::vector<int> saved(kWriters, 0);
    for (int w = 0; w < kWriters; ++w)
        threads.emplace_back([&, w] {
            for (int round = 0; round < 5; ++round) saved[w] += SaveStoreFile(path, StoreOf(static_cast<uint8_t>(w)));
        });
    for (auto& thread : threads) thread.join();
    for (int w = 0; w < kWriters; ++w) EXPECT_EQ(saved[w], 5) << "writer " << w;
    ExpectOneWritersStore(path, kWriters);
    ExpectNoTemporaryLeft(dir.path());
}

TEST(SimStoreWriters, ConcurrentProcessesLeaveOneWholeStore) {
    TempDir dir;
    const std::string path = dir.path() + "/pod.store";
    constexpr int kWriters = 6;
    std::vector<pid_t> children;
    for (int w = 0; w < kWriters; ++w) {
        const pid_t child = ::fork();
        if (child == 0) {
            bool ok = true;
            for (int round = 0; round < 5; ++round) ok = SaveStoreFile(path, StoreOf(static_cast<uint8_t>(w))) && ok;
            ::_exit(ok ? 0 : 1);
        }
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    ExpectOneWritersStore(path, kWriters);
    ExpectNoTemporaryLeft(dir.path());
}

}  // namespace
}  // namespace nembra::testing
