#include "tests/ops/OpsFixture.h"

namespace nembra::testing {
namespace {

// Inputs the pod's fields cannot carry are refused instead of being sent
// truncated, and the operation reports the failure.
class GuardTest : public OpsFixture {};

TEST_F(GuardTest, Lf240xSectionPastTheSixteenBitSpaceIsNotSent) {
    UseCoff("wrap.out", Coff({Section("text", 0x0100, 10, 1), Section("high", 0xFFF0, 0x20, 2)}, false), 0);
    auto ctx = Ctx();
    RunTargetWrite(ctx);
    // The Load refuses it before the pod is touched.
    EXPECT_EQ(status.lastText(),
              "The specified file has a section outside LF240xA memory: high (0x00FFF0-0x01000F) at 0x010000");
    EXPECT_TRUE(rig.pod.commandLog().empty()) << rig.pod.commandLog();
    EXPECT_TRUE(status.lastIsError());
    EXPECT_TRUE(rig.pod.TargetWordsWritten().empty());
    EXPECT_EQ(rig.pod.commandLog().find('U'), std::string::npos) << rig.pod.commandLog();
    ExpectCleanedUp();
}

TEST_F(GuardTest, Lf240xSectionEndingAtTheTopIsSent) {
    UseCoff("top.out", Coff({Section("high", 0xFFE0, 0x20, 2)}, false), 0);
    auto ctx = Ctx();
    RunTargetWrite(ctx);
    EXPECT_EQ(status.lastText().rfind("Flash Write Completed - ", 0), 0u) << status.lastText();
    EXPECT_EQ(rig.pod.TargetWordsWritten().size(), 0x20u);
}

TEST_F(GuardTest, SectionRecordFieldsMustFitTwentyFourBits) {
    UseCoff("far.out", Coff({Section("text", 0x1000000, 4, 1)}, false), 0);
    auto ctx = Ctx();
    RunPodWrite(ctx);
    // No device has memory beyond 24 bits: the Load refuses it before the pod is touched.
    EXPECT_EQ(status.lastText(),
              "The specified file has a section outside LF240xA memory: text (0x1000000-0x1000003) at 0x1000000");
    EXPECT_TRUE(rig.pod.commandLog().empty()) << rig.pod.commandLog();
    ExpectCleanedUp();
}

TEST_F(GuardTest, PodFileNameIsNotCutInsideACharacter) {
    UseCoff("prog.out", Coff({Section("text", 0x0000, 4, 1)}, false), 0);
    job.podFileName = "abcdefg\xC3\xBC";  // the 9-byte "abcdefgü"
    auto ctx = Ctx();
    RunPodWrite(ctx);
    EXPECT_EQ(session.eepFileName, "abcdefg");
    job.podFileName = "abcdef\xC3\xBCz";  // 9 bytes; the cut falls after the whole ü
    RunPodWrite(ctx);
    EXPECT_EQ(session.eepFileName, "abcdef\xC3\xBC");
}

}  // namespace
}  // namespace nembra::testing
