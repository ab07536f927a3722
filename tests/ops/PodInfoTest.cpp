#include "tests/ops/OpsFixture.h"

namespace nembra::testing {
namespace {

class PodInfoTest : public OpsFixture {
protected:
    void Info() {
        auto ctx = Ctx();
        RunPodInfo(ctx);
    }
};

TEST_F(PodInfoTest, EmptyPodShowsItsVersion) {
    rig.pod.SetVersionReply("KVL15");
    Info();
    EXPECT_EQ(status.lastText(), "POD Ver: 1.5, No POD File Data");
    EXPECT_FALSE(status.lastIsError());
    EXPECT_FALSE(session.link.connected());
    EXPECT_EQ(status.lines.size(), 1u);
}

TEST_F(PodInfoTest, ForeignVersionPrefixIsAFailure) {
    rig.pod.SetVersionReply("ABC15");
    Info();
    EXPECT_EQ(status.lastText(), "Fail to read KVL47Q POD Information");
    EXPECT_TRUE(status.lastIsError());
}

TEST_F(PodInfoTest, UnansweredQueries) {
    rig.pod.ArmFault(SimFault{SimFault::Kind::NoReply, '?', 1});
    Info();
    EXPECT_EQ(status.lastText(), "Fail to read KVL47Q POD Information");
    rig.pod.ArmFault(SimFault{SimFault::Kind::NoReply, 'J', 1});
    Info();
    EXPECT_EQ(status.lastText(), "Fail to read KVL47Q POD Information");
    EXPECT_FALSE(session.link.connected());
}

TEST_F(PodInfoTest, ShowsTheStoredNameAndDate) {
    rig.pod.SetVersionReply("KVL07");
    UseCoff("prog.out", Coff({Section("text", 0x0000, 10, 1)}, false), 0);
    job.podFileName = "ABCDEFGH";
    clock.now = LocalDateTime{2006, 3, 7, 9, 5};
    auto ctx = Ctx();
    RunPodWrite(ctx);
    ASSERT_FALSE(status.lastIsError()) << status.lastText();
    Info();
    EXPECT_EQ(status.lastText(), "POD Ver: 0.7, POD File Name: ABCDEFGH [when 2006.03.07 09:05]");

    job.podFileName = "abc";
    clock.now = LocalDateTime{2007, 3, 2, 14, 5};
    RunPodWrite(ctx);
    Info();
    EXPECT_EQ(status.lastText(), "POD Ver: 0.7, POD File Name: abc [when 2007.03.02 14:05]");
}

TEST_F(PodInfoTest, TargetReset) {
    auto ctx = Ctx();
    RunTargetReset(ctx);
    EXPECT_EQ(status.lastText(), "Target board's reset is successful");
    EXPECT_FALSE(status.lastIsError());
    EXPECT_FALSE(session.link.connected());
    rig.pod.ArmFault(SimFault{SimFault::Kind::NoReply, 'R', 1});
    RunTargetReset(ctx);
    EXPECT_EQ(status.lastText(), "Fail to reset target board");
    EXPECT_TRUE(status.lastIsError());
    EXPECT_FALSE(session.link.connected());
}

}  // namespace
}  // namespace nembra::testing
