#include <gmock/gmock.h>

#include "pod/PodListing.h"
#include "tests/pod/LinkFixture.h"

namespace nembra::testing {
namespace {

const std::vector<uint8_t> kIdentify{0x02, 'I', 0x03};

// Three devices on one bus: another FTDI product and two pods; a link
// pinned to a serial number opens that pod only.
class PinnedLinkTest : public LinkTest {
protected:
    void SetUp() override {
        device.AddDevice("USB <-> Serial", nullptr, "FTOTHER1");
        device.AddDevice(kPodDescription, &peer, "FTPOD001");
        device.AddDevice(kPodDescription, &second, "FTPOD002");
    }
    ScriptedPeer second;
    StopRequest stop;
};

TEST_F(PinnedLinkTest, ListingGivesDescriptionSerialAndLocation) {
    auto driver = loader.Load();
    const auto devices = ListAttachedDevices(*driver);
    ASSERT_EQ(devices.size(), 3u);
    EXPECT_EQ(devices[0].description, "USB <-> Serial");
    EXPECT_EQ(devices[2].description, kPodDescription);
    EXPECT_EQ(devices[2].serial, "FTPOD002");
    EXPECT_EQ(devices[2].location, 3u);
}

TEST_F(PinnedLinkTest, ProbeTellsWhyADeviceCannotBeOpened) {
    auto driver = loader.Load();
    EXPECT_EQ(ProbeOpen(*driver, "FTPOD001"), OpenFailureCause::None);
    EXPECT_FALSE(device.open());  // closed again
    EXPECT_EQ(peer.opens, 1);
    device.SetOpenRefused(2, OpenFailureCause::PermissionDenied);
    EXPECT_EQ(ProbeOpen(*driver, "FTPOD002"), OpenFailureCause::PermissionDenied);
    EXPECT_EQ(ProbeOpen(*driver, "NOSUCH"), OpenFailureCause::Unplugged);
}

TEST_F(PinnedLinkTest, TheLinkOpensThePodWithThatSerialNumberAndTheDriverStillListsEveryDevice) {
    RecordingObserver observer;
    link.SetObserver(&observer);
    link.SetPinnedSerial("FTPOD002");
    ASSERT_TRUE(link.LoadDriverLibrary());
    ASSERT_TRUE(link.FindPod());
    ASSERT_EQ(link.OpenPod(), OpenResult::Opened);
    EXPECT_EQ(peer.opens, 0);
    EXPECT_EQ(second.opens, 1);
    EXPECT_EQ(second.frames.front(), kIdentify);
    EXPECT_EQ(ListAttachedDevices(*link.driverLibrary()).size(), 3u);  // nothing hidden from the driver's callers
    EXPECT_THAT(observer.lines, ::testing::Contains("#open \"KVL47Q POD\""));
    link.UnloadDriverLibrary();
    link.SetObserver(nullptr);
}

TEST_F(PinnedLinkTest, ASerialThatIsNotAttachedOrNotAPodIsNoPod) {
    ASSERT_TRUE(link.LoadDriverLibrary());
    for (const char* serial : {"FTPOD009", "FTOTHER1"}) {
        link.SetPinnedSerial(serial);
        EXPECT_FALSE(link.FindPod()) << serial;
        EXPECT_EQ(link.OpenPod(), OpenResult::PortFailed) << serial;
    }
    EXPECT_EQ(peer.opens + second.opens, 0);
    device.SetUnplugged(1, true);
    link.SetPinnedSerial("FTPOD001");
    ASSERT_TRUE(link.FindPod());  // still listed, as D2XX lists it
    EXPECT_EQ(link.OpenPod(), OpenResult::PortFailed);
    EXPECT_EQ(second.opens, 0);  // never the other pod
}

TEST_F(PinnedLinkTest, WithoutASerialTheFirstPodByDescriptionIsUsed) {
    link.SetPinnedSerial("FTPOD002");
    link.SetPinnedSerial("");
    Connect();
    EXPECT_EQ(peer.opens, 1);
    EXPECT_EQ(second.opens, 0);
    link.UnloadDriverLibrary();
}

TEST_F(PinnedLinkTest, AStoppedLinkFindsNoPodAndOpensNone) {
    link.SetStopRequest(&stop);
    link.SetPinnedSerial("FTPOD001");
    ASSERT_TRUE(link.LoadDriverLibrary());
    stop.Request();
    EXPECT_FALSE(link.FindPod());
    EXPECT_EQ(peer.opens, 0);
    link.SetStopRequest(nullptr);
    ASSERT_TRUE(link.FindPod());
    link.SetStopRequest(&stop);  // stopped between the search and the open
    EXPECT_EQ(link.OpenPod(), OpenResult::PortFailed);
    EXPECT_EQ(peer.opens, 0);
    EXPECT_FALSE(device.open());
    link.SetStopRequest(nullptr);
}

TEST_F(PinnedLinkTest, AStopFailsTheNextStepAndStillClosesTheLink) {
    link.SetStopRequest(&stop);
    link.SetPinnedSerial("FTPOD001");
    Connect();
    stop.Request();
    uint8_t frame[] = {0x02, '?', 0x03};
    EXPECT_EQ(link.WriteFrame(frame, sizeof frame, kDriverTimeoutMs).cause, Cause::Stopped);
    EXPECT_TRUE(peer.frames.empty());  // nothing more reached the pod
    EXPECT_TRUE(link.ClosePod());
    EXPECT_FALSE(device.open());
    EXPECT_EQ(peer.closes, 1);
    link.SetStopRequest(nullptr);
}

}  // namespace
}  // namespace nembra::testing
