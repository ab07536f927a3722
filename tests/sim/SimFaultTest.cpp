#include "tests/sim/SimFixture.h"

namespace nembra::testing {
namespace {

TEST_F(SimPodTest, NoReplyStrikesOnlyTheNamedOccurrence) {
    ASSERT_TRUE(StartBootF281x(l(), 5));
    ASSERT_TRUE(SendCsmKeys(l(), false, kNoPassword));
    pod().ArmFault(SimFault{SimFault::Kind::NoReply, 'O', 1});
    const uint32_t start = rig->clock.NowMs();
    EXPECT_FALSE(InitFlash(l(), 5000));
    EXPECT_GE(rig->clock.NowMs() - start, 5000u);
    EXPECT_TRUE(InitFlash(l(), 5000));
    ExpectNoProtocolErrors();
}

TEST_F(SimPodTest, FaultCountsFromItsArming) {
    ASSERT_TRUE(IdentifyPod(l()));
    pod().ArmFault(SimFault{SimFault::Kind::WrongFirstByte, 'I', 2});
    EXPECT_TRUE(IdentifyPod(l()));
    EXPECT_FALSE(IdentifyPod(l()));
    EXPECT_TRUE(IdentifyPod(l()));
}

TEST_F(SimPodTest, WrongFirstByteKeepsTheReplyLength) {
    pod().ArmFault(SimFault{SimFault::Kind::WrongFirstByte, '?', 1});
    uint16_t version = 99;
    EXPECT_FALSE(QueryPodVersion(l(), version));
    EXPECT_EQ(version, 0);
    EXPECT_EQ(rig->device.PendingReplyBytes(), 0u);
}

TEST_F(SimPodTest, SlowReplyBeyondTheTimeOutFails) {
    pod().ArmFault(SimFault{SimFault::Kind::SlowReply, 'R', 1, 1500});
    EXPECT_FALSE(ResetTarget(l()));
    pod().ArmFault(SimFault{SimFault::Kind::SlowReply, 'R', 1, 600});
    link->PurgePod();
    const uint32_t start = rig->clock.NowMs();
    EXPECT_TRUE(ResetTarget(l()));
    EXPECT_GE(rig->clock.NowMs() - start, 600u);
}

// A byte the pod sends after a data word is caught by the check after the
// batch write.
TEST_F(SimPodTest, StrayByteAfterADataWordFailsTheBatch) {
    ReadyF281x(5);
    pod().ArmFault(SimFault{SimFault::Kind::StrayByteAfterReply, 'S', 10});
    bool allSent = true;
    for (int i = 0; i < 50; ++i) allSent = SendFlashWord(l(), 0x1234, false) && allSent;
    EXPECT_FALSE(allSent);
}

TEST_F(SimPodTest, StrayByteAfterResetIsPurged) {
    pod().ArmFault(SimFault{SimFault::Kind::StrayByteAfterReply, 'R', 1});
    EXPECT_TRUE(ResetTarget(l()));
    EXPECT_EQ(rig->device.PendingReplyBytes(), 0u);
    EXPECT_TRUE(IdentifyPod(l()));
}

TEST_F(SimPodTest, ClearedFaultsDoNotStrike) {
    pod().ArmFault(SimFault{SimFault::Kind::NoReply, 'I', 1});
    pod().ClearFaults();
    EXPECT_TRUE(IdentifyPod(l()));
}

TEST_F(SimPodTest, UnpluggedPodIsListedButDoesNotOpen) {
    ASSERT_TRUE(link->ClosePod());
    rig->device.SetUnplugged(0, true);
    EXPECT_TRUE(link->FindPod());
    EXPECT_EQ(link->OpenPod(), OpenResult::PortFailed);
}

}  // namespace
}  // namespace nembra::testing
