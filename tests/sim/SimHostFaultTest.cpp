#include <vector>

#include "tests/sim/SimFixture.h"

namespace nembra::testing {
namespace {

// A host that breaks the flash rules is caught by the pod itself: each fault
// below leaves a protocol error, and the frames a real flash algorithm could
// not carry out are refused.
class SimHostFaultTest : public SimPodTest {
protected:
    static std::vector<uint16_t> Words(size_t count) {
        std::vector<uint16_t> words;
        for (size_t i = 0; i < count; ++i) words.push_back(static_cast<uint16_t>(0x1200 + i));
        return words;
    }
    // Sector A (0x3F6000) erased and ready for blocks.
    void ReadySectorA() {
        ReadyF281x(5);
        ASSERT_TRUE(EraseSectors(l(), 0x0001, 20000));
    }
};

TEST_F(SimHostFaultTest, ProgrammingFlashNotErasedSinceBootIsRefused) {
    ReadyF281x(5);
    const uint16_t before = pod().TargetFlashWord(0x3F0000);
    EXPECT_FALSE(ProgramWords(0x3F0000, Words(40)));
    EXPECT_TRUE(ErrorMentions("not erased since the target was booted"));
    EXPECT_EQ(pod().TargetFlashWord(0x3F0000), before);

    // An erase before the last boot does not count: the flash algorithm
    // that runs now has erased nothing.
    ASSERT_TRUE(EraseSectors(l(), 0x0004, 20000));
    ReadyF281x(5);
    const size_t errors = pod().protocolErrors().size();
    EXPECT_FALSE(ProgramWords(0x3F0000, Words(40)));
    EXPECT_GT(pod().protocolErrors().size(), errors);
}

TEST_F(SimHostFaultTest, ErasingAfterProgrammingIsRecorded) {
    ReadySectorA();
    ASSERT_TRUE(ProgramWords(0x3F6000, Words(40)));
    ExpectNoProtocolErrors();
    // The flash algorithm erases what it is told to, so the erase is done.
    EXPECT_TRUE(EraseSectors(l(), 0x0002, 20000));
    EXPECT_TRUE(ErrorMentions("after flash was programmed"));
}

TEST_F(SimHostFaultTest, BlockOf41WordsIsRefused) {
    ReadySectorA();
    const auto words = Words(41);
    bool allSent = true;
    for (size_t i = 0; i < words.size(); ++i) allSent = SendFlashWord(l(), words[i], i + 1 == words.size()) && allSent;
    EXPECT_FALSE(allSent) << "the refused 41st word is waiting for the host after the batch write";
    EXPECT_TRUE(ErrorMentions("data word 41 of a block"));
    EXPECT_FALSE(ProgramBlock(l(), 0x3F6000, 41, 5000));
    EXPECT_TRUE(ErrorMentions("takes at most 40 words a block"));
}

TEST_F(SimHostFaultTest, BlockThatDoesNotFollowTheLastOneIsRecorded) {
    ReadySectorA();
    ASSERT_TRUE(ProgramWords(0x3F6000, Words(40)));
    // Advanced by the block's bytes instead of its words: a gap of 40.
    EXPECT_TRUE(ProgramWords(0x3F6000 + 80, Words(40)));
    EXPECT_TRUE(ErrorMentions("0x3F6050 does not follow the previous block of its section, which ended at 0x3F6028"));
    // Not advanced at all.
    const size_t errors = pod().protocolErrors().size();
    EXPECT_TRUE(ProgramWords(0x3F6050, Words(40)));
    EXPECT_EQ(pod().protocolErrors().size(), errors + 1);
}

// Blocks back to back, a short block ending a section, and a new section
// anywhere after it are all as the tool sends them.
TEST_F(SimHostFaultTest, SectionsAsTheToolSendsThemAreAccepted) {
    ReadySectorA();
    ASSERT_TRUE(ProgramWords(0x3F6000, Words(40)));
    ASSERT_TRUE(ProgramWords(0x3F6028, Words(40)));
    ASSERT_TRUE(ProgramWords(0x3F6050, Words(5)));
    ASSERT_TRUE(ProgramWords(0x3F6058, Words(40)));
    ASSERT_TRUE(ProgramWords(0x3F7000, Words(40)));
    ASSERT_TRUE(ResetTarget(l()));
    ASSERT_TRUE(link->ClosePod());
    ExpectNoProtocolErrors();
}

TEST_F(SimHostFaultTest, FlashSessionWithoutResetIsNoticedAtClose) {
    ReadySectorA();
    ASSERT_TRUE(ProgramWords(0x3F6000, Words(40)));
    ASSERT_TRUE(link->ClosePod());
    EXPECT_TRUE(ErrorMentions("ended without 'R' (noticed when the host closed the device)"));
    // Reported once: the next boot does not count it again.
    ASSERT_EQ(link->OpenPod(), OpenResult::Opened);
    const size_t errors = pod().protocolErrors().size();
    ReadyF281x(5);
    EXPECT_EQ(pod().protocolErrors().size(), errors);
}

TEST_F(SimHostFaultTest, FlashSessionWithoutResetIsNoticedAtTheNextBoot) {
    ReadySectorA();
    ASSERT_TRUE(ProgramWords(0x3F6000, Words(40)));
    EXPECT_TRUE(StartBootF281x(l(), 5));
    EXPECT_TRUE(ErrorMentions("ended without 'R' (noticed at the next boot)"));
}

TEST_F(SimHostFaultTest, Lf240xSessionWithoutResetIsNoticed) {
    ASSERT_TRUE(StartBootLf240x(l(), 1));
    ASSERT_TRUE(SendStreamWord(l(), 'U', 0x0040, 3000));
    ASSERT_TRUE(SendStreamWord(l(), 'U', 0, 3000));
    ASSERT_TRUE(SendStreamWord(l(), 'Z', 0x1234, 4000));
    ASSERT_TRUE(SendStreamWord(l(), 'U', 0x0000, 3000));
    ASSERT_TRUE(link->ClosePod());
    EXPECT_TRUE(ErrorMentions("ended without 'R'"));
}

// A host that saw a command fail gives the session up; a RAM download
// starts the program without any reset. Neither owes "R".
TEST_F(SimHostFaultTest, SessionsThatNeedNoResetCloseCleanly) {
    ReadySectorA();
    ASSERT_TRUE(ProgramWords(0x3F6000, Words(40)));
    pod().ArmFault(SimFault{SimFault::Kind::NoReply, 'O', 1});
    EXPECT_FALSE(ProgramWords(0x3F6028, Words(40)));
    ASSERT_TRUE(link->ClosePod());
    ASSERT_EQ(link->OpenPod(), OpenResult::Opened);

    ASSERT_TRUE(StartBootF281x(l(), 5));
    ASSERT_TRUE(SendStreamWord(l(), 'U', 1, 3000));
    ASSERT_TRUE(SendStreamLong(l(), 0x008000, 3000));
    ASSERT_TRUE(SendStreamWord(l(), 'Y', 0x4321, 4000));
    ASSERT_TRUE(SendStreamWord(l(), 'X', 0, 3000));
    ASSERT_TRUE(link->ClosePod());
    ExpectNoProtocolErrors();
}

}  // namespace
}  // namespace nembra::testing
