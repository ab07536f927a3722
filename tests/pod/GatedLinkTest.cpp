#include <gmock/gmock.h>

#include <set>

#include "tests/pod/LinkFixture.h"

namespace nembra::testing {
namespace {

// A gate that refuses the pods another program holds and keeps count of
// what this link holds.
class FakeGate : public PodGate {
public:
    bool Claim(const std::string& serial, std::string& refusal) override {
        if (others.count(serial) != 0) {
            refusal = "the pod " + serial + " is in use by nembra-station (process 42)";
            return false;
        }
        held.insert(serial);
        return true;
    }
    void Release(const std::string& serial) override { held.erase(serial); }

    std::set<std::string> others;
    std::set<std::string> held;
};

class GatedLinkTest : public LinkTest {
protected:
    void SetUp() override {
        device.AddDevice(kPodDescription, &peer, "FTPOD001");
        device.AddDevice(kPodDescription, &second, "FTPOD002");
        link.SetGate(&gate);
        ASSERT_TRUE(link.LoadDriverLibrary());
        ASSERT_TRUE(link.FindPod());
    }
    void TearDown() override { link.UnloadDriverLibrary(); }
    ScriptedPeer second;
    FakeGate gate;
};

TEST_F(GatedLinkTest, TheClaimIsHeldFromTheOpenToTheClose) {
    ASSERT_EQ(link.OpenPod(), OpenResult::Opened);
    EXPECT_EQ(peer.opens, 1);
    EXPECT_EQ(gate.held, std::set<std::string>{"FTPOD001"});
    EXPECT_TRUE(link.gateRefusal().empty());
    ASSERT_TRUE(link.ClosePod());
    EXPECT_TRUE(gate.held.empty());
}

TEST_F(GatedLinkTest, AnUnpinnedLinkOpensTheFirstPodNoOtherProgramHolds) {
    gate.others = {"FTPOD001"};
    ASSERT_EQ(link.OpenPod(), OpenResult::Opened);
    EXPECT_EQ(peer.opens, 0);  // the held pod is never opened, not even for a moment
    EXPECT_EQ(second.opens, 1);
    EXPECT_EQ(gate.held, std::set<std::string>{"FTPOD002"});
}

TEST_F(GatedLinkTest, WhenEveryPodIsHeldNoneIsOpenedAndTheRefusalSaysWhoHoldsIt) {
    gate.others = {"FTPOD001", "FTPOD002"};
    EXPECT_EQ(link.OpenPod(), OpenResult::PortFailed);
    EXPECT_EQ(peer.opens + second.opens, 0);
    EXPECT_EQ(device.CallCount(SimDevice::Call::OpenEx), 0);
    EXPECT_EQ(link.gateRefusal(), "the pod FTPOD001 is in use by nembra-station (process 42)");
    EXPECT_TRUE(gate.held.empty());
    // Once the other program lets go, the next open goes ahead and says nothing of it.
    gate.others.clear();
    ASSERT_EQ(link.OpenPod(), OpenResult::Opened);
    EXPECT_TRUE(link.gateRefusal().empty());
}

TEST_F(GatedLinkTest, APinnedLinkAsksForItsOwnPodOnly) {
    link.SetPinnedSerial("FTPOD002");
    ASSERT_TRUE(link.FindPod());
    gate.others = {"FTPOD002"};
    EXPECT_EQ(link.OpenPod(), OpenResult::PortFailed);
    EXPECT_EQ(peer.opens + second.opens, 0);  // never the free pod instead
    gate.others.clear();
    ASSERT_EQ(link.OpenPod(), OpenResult::Opened);
    EXPECT_EQ(second.opens, 1);
    EXPECT_EQ(gate.held, std::set<std::string>{"FTPOD002"});
}

TEST_F(GatedLinkTest, AFailedOpenGivesTheClaimBack) {
    peer.script = [](const std::vector<uint8_t>&, uint32_t, ReplyQueue&) {};  // the pod stays silent
    EXPECT_EQ(link.OpenPod(), OpenResult::PodSilent);
    EXPECT_TRUE(gate.held.empty());
}

TEST_F(GatedLinkTest, UnloadingTheDriverGivesTheClaimBack) {
    ASSERT_EQ(link.OpenPod(), OpenResult::Opened);
    link.UnloadDriverLibrary();
    EXPECT_TRUE(gate.held.empty());
}

}  // namespace
}  // namespace nembra::testing
