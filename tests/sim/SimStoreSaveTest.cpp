#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "sim/SimPod.h"
#include "sim/SimSerialFlash.h"
#include "sim/SimStoreFile.h"
#include "tests/support/CoffBuilder.h"
#include "tests/support/LockHolder.h"

namespace nembra::testing {
namespace {

SimStore OldProgram() {
    SimStore store;
    store.hasProgram = true;
    store.deviceCode = 5;
    store.csmOption = 1;
    store.keys = {1, 2, 3, 4, 5, 6, 7, 8};
    store.sectionCount = 1;
    store.sections = {{0x3F0000, 2, 0}};
    store.pages = {{0x11, 0x22, 0x33, 0x44}};
    return store;
}

SimStore Loaded(const std::string& path) {
    SimStore store;
    LoadStoreFile(path, store);
    return store;
}

// A store whose lock cannot be taken at all, whoever runs the test (root
// included): its lock file is a folder.
void BlockSaves(const std::string& path) {
    std::filesystem::remove(StoreLockPath(path));
    std::filesystem::create_directory(StoreLockPath(path));
}

struct StoreFolder {
    TempDir dir;
    std::string path = dir.path() + "/pod.store";
    SimTiming timing;
};

// Before, the emptied store was kept in memory only and every record was
// accepted: a POD Write reported success, a POD Verify in the same run
// passed, and the file still held the old program.
TEST(SimStoreSave, ARecordWhoseStoreCannotBeSavedIsRefusedAndTheOldProgramStays) {
    StoreFolder folder;
    ASSERT_TRUE(SaveStoreFile(folder.path, OldProgram()));
    SimSerialFlash flash(folder.timing, folder.path);
    BlockSaves(folder.path);
    ASSERT_TRUE(flash.Begin().accepted);
    const SimReply section = flash.SectionRecord(0, 0x3F4000, 2, 0);
    EXPECT_FALSE(section.accepted);
    EXPECT_TRUE(section.error.empty()) << "not a fault of the host's: " << section.error;
    EXPECT_FALSE(flash.Tag({}).accepted);
    EXPECT_FALSE(flash.Summary(5, 0, 1, 1).accepted);
    EXPECT_EQ(flash.stored(), OldProgram());
    EXPECT_EQ(Loaded(folder.path), OldProgram());
}

TEST(SimStoreSave, AStoreThatCannotBeSavedAtTheEndIsNotKept) {
    StoreFolder folder;
    ASSERT_TRUE(SaveStoreFile(folder.path, OldProgram()));
    SimSerialFlash flash(folder.timing, folder.path);
    ASSERT_TRUE(flash.Begin().accepted);
    ASSERT_TRUE(flash.SectionRecord(0, 0x3F4000, 1, 0).accepted);
    ASSERT_TRUE(flash.DataWord(0xABCD).accepted);
    ASSERT_TRUE(flash.WritePage(0, 2).accepted);
    ASSERT_TRUE(flash.Password(kNoPassword).accepted);
    ASSERT_TRUE(flash.Tag({}).accepted);
    ASSERT_TRUE(flash.Summary(5, 0, 1, 1).accepted);
    BlockSaves(folder.path);
    EXPECT_FALSE(flash.End().accepted);
    // What the file holds: the store emptied by the first record.
    EXPECT_FALSE(flash.stored().hasProgram);
    EXPECT_EQ(Loaded(folder.path), SimStore{});
}

// The store holds the CSM keys in clear. Before, every save made it 0644.
TEST(SimStoreSave, TheStoreIsPrivateEvenWhereItWasNot) {
    StoreFolder folder;
    ScopedUmask open(0);
    std::ofstream(folder.path) << "";
    ASSERT_EQ(::chmod(folder.path.c_str(), 0644), 0);
    ASSERT_TRUE(SaveStoreFile(folder.path, OldProgram()));
    EXPECT_EQ(FileMode(folder.path), 0600);
    EXPECT_EQ(FileMode(StoreLockPath(folder.path)), 0600);
}

// Before, the lock was waited for without end, and followed a link.
TEST(SimStoreSave, ALockHeldByAnotherProcessIsWaitedForAFewSecondsOnly) {
    StoreFolder folder;
    LockHolder other(StoreLockPath(folder.path));
    ASSERT_TRUE(other.held());
    uint32_t sleptMs = 0;
    LockPatience patience;
    patience.sleepMs = [&](uint32_t ms) { sleptMs += ms; };
    EXPECT_FALSE(SaveStoreFile(folder.path, OldProgram(), patience));
    EXPECT_EQ(sleptMs, patience.limitMs);
    EXPECT_FALSE(std::filesystem::exists(folder.path));
}

TEST(SimStoreSave, ALinkedLockFileIsNotFollowed) {
    StoreFolder folder;
    const std::string elsewhere = folder.dir.path() + "/elsewhere";
    std::filesystem::create_symlink(elsewhere, StoreLockPath(folder.path));
    EXPECT_FALSE(SaveStoreFile(folder.path, OldProgram()));
    EXPECT_FALSE(std::filesystem::exists(elsewhere));
}

}  // namespace
}  // namespace nembra::testing
