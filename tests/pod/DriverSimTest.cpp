#include <gtest/gtest.h>

#include <cstring>

#include "sim/SimDevice.h"
#include "sim/SimDriverLoader.h"
#include "sim/VirtualClock.h"
#include "tests/pod/LinkFixture.h"

namespace nembra::testing {
namespace {

using Call = SimDevice::Call;

TEST(VirtualClockTest, MovesForwardOnlyAndWraps) {
    VirtualClock clock(0xFFFFFFF0u);
    clock.Advance(0x20);
    EXPECT_EQ(clock.NowMs(), 0x10u);
    clock.AdvanceTo(0x08);  // behind: stays
    EXPECT_EQ(clock.NowMs(), 0x10u);
    clock.AdvanceTo(0x30);
    EXPECT_EQ(clock.NowMs(), 0x30u);
    clock.SleepMs(5);
    EXPECT_EQ(clock.NowMs(), 0x35u);
}

class SimDeviceTest : public ::testing::Test {
protected:
    FT_HANDLE Open(const char* description = "KVL47Q POD") {
        FT_HANDLE h = nullptr;
        EXPECT_EQ(device.FT_OpenEx(const_cast<char*>(description), FT_OPEN_BY_DESCRIPTION, &h), FT_OK);
        EXPECT_EQ(device.FT_SetTimeouts(h, 200, 200), FT_OK);
        return h;
    }
    DWORD ReadOne(FT_HANDLE h, uint8_t& byte) {
        DWORD got = 99;
        EXPECT_EQ(device.FT_Read(h, &byte, 1, &got), FT_OK);
        return got;
    }

    VirtualClock clock{1000};
    SimDevice device{clock};
    ScriptedPeer peer;
};

TEST_F(SimDeviceTest, ListsCountAndDescriptionsInOrder) {
    device.AddDevice("A");
    device.AddDevice(std::string(80, 'x'));
    DWORD count = 0;
    ASSERT_EQ(device.FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY), FT_OK);
    EXPECT_EQ(count, 2u);
    char text[64];
    std::memset(text, 'z', sizeof text);
    ASSERT_EQ(
        device.FT_ListDevices(reinterpret_cast<void*>(uintptr_t{1}), text, FT_LIST_BY_INDEX | FT_OPEN_BY_DESCRIPTION),
        FT_OK);
    EXPECT_EQ(std::strlen(text), 63u);  // cut to fit, always terminated
    EXPECT_EQ(
        device.FT_ListDevices(reinterpret_cast<void*>(uintptr_t{2}), text, FT_LIST_BY_INDEX | FT_OPEN_BY_DESCRIPTION),
        FT_DEVICE_NOT_FOUND);
}

TEST_F(SimDeviceTest, ReadWaitsOnTheVirtualClock) {
    device.AddDevice("KVL47Q POD", &peer);
    FT_HANDLE h = Open();
    uint8_t b = 0;
    device.InjectReply({'a'}, 1000);
    device.InjectReply({'b'}, 1150);
    device.InjectReply({'c'}, 1600);
    EXPECT_EQ(ReadOne(h, b), 1u);  // already due: no time passes
    EXPECT_EQ(clock.NowMs(), 1000u);
    DWORD waiting = 9;
    ASSERT_EQ(device.FT_GetQueueStatus(h, &waiting), FT_OK);
    EXPECT_EQ(waiting, 0u);  // 'b' is not due yet
    EXPECT_EQ(ReadOne(h, b), 1u);
    EXPECT_EQ(b, 'b');
    EXPECT_EQ(clock.NowMs(), 1150u);  // moved to its arrival
    EXPECT_EQ(ReadOne(h, b), 0u);
    EXPECT_EQ(clock.NowMs(), 1350u);  // the whole read time-out
    EXPECT_EQ(device.PendingReplyBytes(), 1u);
}

TEST_F(SimDeviceTest, RepliesKeepTheirOrder) {
    device.AddDevice("KVL47Q POD", &peer);
    FT_HANDLE h = Open();
    device.InjectReply({'1'}, 1100);
    device.InjectReply({'2'}, 1050);  // cannot overtake '1'
    uint8_t b = 0;
    EXPECT_EQ(ReadOne(h, b), 1u);
    EXPECT_EQ(b, '1');
    EXPECT_EQ(ReadOne(h, b), 1u);
    EXPECT_EQ(b, '2');
    EXPECT_EQ(clock.NowMs(), 1100u);
}

TEST_F(SimDeviceTest, WriteReachesThePeerAndPurgeDropsReplies) {
    device.AddDevice("KVL47Q POD", &peer);
    FT_HANDLE h = Open();
    EXPECT_EQ(peer.opens, 1);
    uint8_t frame[] = {0x02, 'I', 0x03};
    DWORD written = 0;
    ASSERT_EQ(device.FT_Write(h, frame, 3, &written), FT_OK);
    EXPECT_EQ(written, 3u);
    ASSERT_EQ(peer.frames.size(), 1u);
    DWORD rx = 0, tx = 9, ev = 0;
    ASSERT_EQ(device.FT_GetStatus(h, &rx, &tx, &ev), FT_OK);
    EXPECT_EQ(tx, 0u);
    EXPECT_EQ(device.PendingReplyBytes(), 1u);
    ASSERT_EQ(device.FT_Purge(h, FT_PURGE_RX), FT_OK);
    EXPECT_EQ(device.PendingReplyBytes(), 0u);
    ASSERT_EQ(device.FT_Close(h), FT_OK);
    EXPECT_EQ(peer.closes, 1);
    EXPECT_EQ(device.FT_Close(h), FT_INVALID_HANDLE);  // a stale handle is refused
}

TEST_F(SimDeviceTest, OpenFindsTheFirstPluggedExactMatch) {
    ScriptedPeer second;
    const int first = device.AddDevice("KVL47Q POD", &peer);
    device.AddDevice("KVL47Q POD", &second);
    device.SetUnplugged(first, true);
    FT_HANDLE h = Open();
    EXPECT_EQ(second.opens, 1);
    EXPECT_EQ(peer.opens, 0);
    device.FT_Close(h);
    FT_HANDLE other = nullptr;
    EXPECT_NE(device.FT_OpenEx(const_cast<char*>("KVL47Q"), FT_OPEN_BY_DESCRIPTION, &other), FT_OK);
    EXPECT_EQ(device.LastOpenFailureCause(), OpenFailureCause::Unplugged);
}

TEST_F(SimDeviceTest, FailCallCountsAndRepeats) {
    device.AddDevice("KVL47Q POD", &peer);
    FT_HANDLE h = Open();
    device.FailCall(Call::ResetDevice, 1, 2);
    EXPECT_EQ(device.FT_ResetDevice(h), FT_OK);
    EXPECT_EQ(device.FT_ResetDevice(h), FT_IO_ERROR);
    EXPECT_EQ(device.FT_ResetDevice(h), FT_IO_ERROR);
    EXPECT_EQ(device.FT_ResetDevice(h), FT_OK);
    device.FailCall(Call::ResetDevice, 0, -1);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(device.FT_ResetDevice(h), FT_IO_ERROR);
    }
    device.ClearFailures();
    EXPECT_EQ(device.FT_ResetDevice(h), FT_OK);
    EXPECT_EQ(device.CallCount(Call::ResetDevice), 10);
}

TEST(SimDriverLoaderTest, ForwardsToTheSharedDeviceOrGivesNone) {
    VirtualClock clock;
    SimDevice device{clock};
    device.AddDevice("KVL47Q POD");
    SimDriverLoader loader{device};
    auto driver = loader.Load();
    ASSERT_NE(driver, nullptr);
    EXPECT_EQ(driver->BackendName(), "simulated");
    DWORD count = 0;
    EXPECT_EQ(driver->FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY), FT_OK);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(device.CallCount(Call::ListDevices), 1);
    loader.SetAvailable(false);
    EXPECT_EQ(loader.Load(), nullptr);
}

}  // namespace
}  // namespace nembra::testing
