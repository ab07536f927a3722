#include <gtest/gtest.h>

#include "tests/ops/BareBusFixture.h"

namespace nembra {
namespace {

class ConnectTest : public testing::BareBusFixture {
protected:
    void ExpectFailure(const char* message) {
        auto ctx = Ctx();
        EXPECT_FALSE(ConnectPod(ctx));
        EXPECT_EQ(status.lastText(), message);
        EXPECT_TRUE(status.lastIsError());
        EXPECT_FALSE(session.link.connected());
        EXPECT_FALSE(device.open());
    }
};

TEST_F(ConnectTest, NoDriverLibrary) {
    loader.SetAvailable(false);
    session.link.LoadDriverLibrary();
    device.AddDevice(kPodDescription);
    ExpectFailure("Fail to load FTD2XX.DLL");
}

TEST_F(ConnectTest, NoPodOnTheBus) {
    session.link.LoadDriverLibrary();
    device.AddDevice("USB <-> Serial");
    ExpectFailure("No Connection to KVL47Q POD");
}

TEST_F(ConnectTest, PodFoundThenUnplugged) {
    session.link.LoadDriverLibrary();
    const int index = device.AddDevice(kPodDescription);
    ASSERT_TRUE(session.link.FindPod());
    device.SetUnplugged(index, true);
    ExpectFailure("Fail to open communication port");
}

TEST_F(ConnectTest, SilentDevice) {
    session.link.LoadDriverLibrary();
    device.AddDevice(kPodDescription);  // nothing answers the identification
    ExpectFailure("Fail to initialize KVL47Q POD");
}

TEST_F(ConnectTest, TargetResetWithoutPodLeavesTheLinkClosed) {
    session.link.LoadDriverLibrary();
    auto ctx = Ctx();
    RunTargetReset(ctx);
    EXPECT_EQ(status.lines.size(), 1u);
    EXPECT_EQ(status.lastText(), "No Connection to KVL47Q POD");
    EXPECT_FALSE(session.link.connected());
}

}  // namespace
}  // namespace nembra
