#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "files/BoundedLock.h"
#include "sim/SimStoreFile.h"
#include "station/PodStation.h"
#include "station/SimStates.h"
#include "tests/support/CoffBuilder.h"

namespace nembra::station {
namespace {

std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string WriteFile(const testing::TempDir& dir, const std::string& name, const std::string& bytes) {
    const std::string path = dir.path() + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

LockPatience NoWait() {
    LockPatience patience;
    patience.limitMs = 30;
    patience.sleepMs = [](uint32_t) {};
    return patience;
}

TEST(SimStates, AFileThatIsNotAPodsStoreIsRefusedAndLeftAsItIs) {
    testing::TempDir dir;
    const std::string firmware = WriteFile(dir, "firmware.out", std::string("\x00\xC2program", 9));
    ::chmod(firmware.c_str(), 0644);
    std::string error;
    EXPECT_FALSE(PrepareSimStates(firmware, 0, true, NoWait(), error));
    EXPECT_EQ(error, "The file " + firmware + " is not a simulated pod's store; it is left as it is");
    EXPECT_EQ(Bytes(firmware), std::string("\x00\xC2program", 9));
    struct stat info {};
    ASSERT_EQ(::stat(firmware.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);
}

TEST(SimStates, EachPodsStoreIsCheckedWhenThereAreSeveral) {
    testing::TempDir dir;
    const std::string state = dir.path() + "/line/pods.store";
    std::string error;
    ASSERT_TRUE(PrepareSimStates(state, 3, false, NoWait(), error)) << error;
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() + "/line"));  // the folder is made
    const std::string second = SimPodStorePath(state, SimPodSerial(2));
    std::ofstream(second) << "notes";
    EXPECT_FALSE(PrepareSimStates(state, 3, false, NoWait(), error));
    EXPECT_EQ(error, "The file " + second + " is not a simulated pod's store; it is left as it is");
    EXPECT_EQ(Bytes(second), "notes");
}

TEST(SimStates, AnEmptyFileOrAStoreOfAPodIsTaken) {
    testing::TempDir dir;
    const std::string empty = WriteFile(dir, "empty.store", "");
    std::string error;
    EXPECT_TRUE(PrepareSimStates(empty, 0, true, NoWait(), error)) << error;
    const std::string stored = dir.path() + "/pod.store";
    ASSERT_TRUE(SaveStoreFile(stored, SimStore{}));
    EXPECT_TRUE(PrepareSimStates(stored, 0, true, NoWait(), error)) << error;
}

// A POD Write saves the store under its lock; one held elsewhere past the
// wait refuses the write before any pod is touched. Other commands do not save.
TEST(SimStates, AStoreLockHeldElsewhereRefusesOnlyAPodWrite) {
    testing::TempDir dir;
    const std::string stored = dir.path() + "/pod.store";
    ASSERT_TRUE(SaveStoreFile(stored, SimStore{}));
    LockFile held;
    ASSERT_EQ(held.Acquire(StoreLockPath(stored), NoWait()), LockResult::Locked);
    std::string error;
    EXPECT_FALSE(PrepareSimStates(stored, 0, true, NoWait(), error));
    EXPECT_EQ(error, InUseText("The simulated pod's store " + stored));
    EXPECT_TRUE(PrepareSimStates(stored, 0, false, NoWait(), error)) << error;
}

}  // namespace
}  // namespace nembra::station
