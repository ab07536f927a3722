#include "pod/PinnedPodLoader.h"
#include "pod/PodListing.h"
#include "tests/pod/LinkFixture.h"

namespace nembra::testing {
namespace {

const std::vector<uint8_t> kIdentify{0x02, 'I', 0x03};

// Three devices on one bus: another FTDI product and two pods.
class PinnedPodTest : public LinkTest {
protected:
    void SetUp() override {
        device.AddDevice("USB <-> Serial", nullptr, "FTOTHER1");
        device.AddDevice(kPodDescription, &peer, "FTPOD001");
        device.AddDevice(kPodDescription, &second, "FTPOD002");
    }
    ScriptedPeer second;
    StopRequest stop;
};

TEST_F(PinnedPodTest, ListingGivesDescriptionSerialAndLocation) {
    auto driver = loader.Load();
    const auto devices = ListAttachedDevices(*driver);
    ASSERT_EQ(devices.size(), 3u);
    EXPECT_EQ(devices[0].description, "USB <-> Serial");
    EXPECT_EQ(devices[2].description, kPodDescription);
    EXPECT_EQ(devices[2].serial, "FTPOD002");
    EXPECT_EQ(devices[2].location, 3u);
}

TEST_F(PinnedPodTest, ProbeTellsWhyADeviceCannotBeOpened) {
    auto driver = loader.Load();
    EXPECT_EQ(ProbeOpen(*driver, "FTPOD001"), OpenFailureCause::None);
    EXPECT_FALSE(device.open());  // closed again
    EXPECT_EQ(peer.opens, 1);
    device.SetOpenRefused(2, OpenFailureCause::PermissionDenied);
    EXPECT_EQ(ProbeOpen(*driver, "FTPOD002"), OpenFailureCause::PermissionDenied);
    EXPECT_EQ(ProbeOpen(*driver, "NOSUCH"), OpenFailureCause::Unplugged);
}

TEST_F(PinnedPodTest, TheLinkOpensThePodWithThatSerialNumber) {
    PinnedPodLoader pinned(loader, "FTPOD002", &stop);
    PodLink pinnedLink(pinned, clock);
    ASSERT_TRUE(pinnedLink.LoadDriverLibrary());
    ASSERT_TRUE(pinnedLink.FindPod());
    ASSERT_EQ(pinnedLink.OpenPod(), OpenResult::Opened);
    EXPECT_EQ(peer.opens, 0);
    EXPECT_EQ(second.opens, 1);
    EXPECT_EQ(second.frames.front(), kIdentify);
    pinnedLink.UnloadDriverLibrary();
}

TEST_F(PinnedPodTest, ASerialThatIsNotAttachedOrNotAPodIsNoPod) {
    for (const char* serial : {"FTPOD009", "FTOTHER1"}) {
        PinnedPodLoader pinned(loader, serial, nullptr);
        PodLink pinnedLink(pinned, clock);
        ASSERT_TRUE(pinnedLink.LoadDriverLibrary());
        EXPECT_FALSE(pinnedLink.FindPod()) << serial;
    }
    device.SetUnplugged(1, true);
    PinnedPodLoader pinned(loader, "FTPOD001", nullptr);
    PodLink pinnedLink(pinned, clock);
    ASSERT_TRUE(pinnedLink.LoadDriverLibrary());
    ASSERT_TRUE(pinnedLink.FindPod());  // still listed, as D2XX lists it
    EXPECT_EQ(pinnedLink.OpenPod(), OpenResult::PortFailed);
    EXPECT_EQ(second.opens, 0);  // never the other pod
}

TEST_F(PinnedPodTest, WithoutASerialTheFirstPodByDescriptionIsUsed) {
    PinnedPodLoader unpinned(loader, "", &stop);
    PodLink anyLink(unpinned, clock);
    ASSERT_TRUE(anyLink.LoadDriverLibrary());
    ASSERT_TRUE(anyLink.FindPod());
    ASSERT_EQ(anyLink.OpenPod(), OpenResult::Opened);
    EXPECT_EQ(peer.opens, 1);
    anyLink.UnloadDriverLibrary();
}

TEST_F(PinnedPodTest, AStopFailsTheNextStepAndStillClosesTheLink) {
    PinnedPodLoader pinned(loader, "FTPOD001", &stop);
    PodLink pinnedLink(pinned, clock);
    ASSERT_TRUE(pinnedLink.LoadDriverLibrary());
    ASSERT_TRUE(pinnedLink.FindPod());
    ASSERT_EQ(pinnedLink.OpenPod(), OpenResult::Opened);
    const size_t sent = peer.frames.size();
    stop.Request();
    uint8_t frame[] = {0x02, '?', 0x03};
    EXPECT_FALSE(pinnedLink.WriteFrame(frame, sizeof frame, kDriverTimeoutMs));
    EXPECT_EQ(peer.frames.size(), sent);  // nothing more reached the pod
    EXPECT_TRUE(pinnedLink.ClosePod());
    EXPECT_FALSE(device.open());
    EXPECT_EQ(peer.closes, 1);
}

}  // namespace
}  // namespace nembra::testing
