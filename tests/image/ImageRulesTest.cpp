// The rules every loaded image is checked by before a pod sees it: no overlap,
// every word in memory the device has, no section across the edge of flash.
#include <gtest/gtest.h>

#include <cstdio>

#include "image/DeviceMemory.h"
#include "image/ImageRules.h"
#include "image/LoadCoffFile.h"
#include "tests/image/ImageTestSupport.h"
#include "tests/image/LoadTestSupport.h"

namespace nembra::testing {
namespace {

constexpr DeviceType kLf240xA = 0;
constexpr DeviceType kF2810 = 2;
constexpr DeviceType kF2811 = 3;
constexpr DeviceType kF2812 = 4;

CoffSectionPlan Words(std::string name, uint32_t address, size_t count) {
    return Section(std::move(name), address, Pattern(count));
}

struct RuleLoad : ::testing::Test {
    TempDir dir;
    ProgramImage image;
    DeviceType deviceType = 0;
    RecentFiles recent;
    RecordingStatus status;

    bool Load(const std::string& name, const std::vector<uint8_t>& bytes, DeviceType selected) {
        LoadContext ctx{image, deviceType, selected, recent, status};
        return LoadCoffFile(ctx, dir.Write(name, bytes), false).loaded;
    }
    bool LoadCoff(std::vector<CoffSectionPlan> sections, DeviceType selected = kF2812) {
        const uint16_t targetId = IsF281x(selected) ? 0x009D : 0x0092;
        return Load("t.out", BuildCoff(FileWith(std::move(sections), CoffFormat::Coff2, targetId)), selected);
    }
    // A good program loaded first, so a refused file must also clear it.
    void LoadSomething(DeviceType selected = kF2812) {
        ASSERT_TRUE(LoadCoff({Words("good", 0x0040, 8)}, selected)) << status.lastText();
    }
    void ExpectRefused(const std::string& message) {
        ExpectLoadRefused(status, image, message);
        EXPECT_FALSE(image.flashSummary.hasFlashSection);
    }
};

TEST_F(RuleLoad, OverlappingSectionsAreRefusedInFlashRamAndTheLf240xA) {
    LoadSomething();
    EXPECT_FALSE(LoadCoff({Words(".text", 0x3F4000, 0x100), Words(".cinit", 0x3F4080, 0x20)}));
    ExpectRefused(
        "The specified file has overlapping sections: .text (0x3F4000-0x3F40FF) and .cinit (0x3F4080-0x3F409F) at "
        "0x3F4080");

    LoadSomething();
    // The second section lies wholly inside the first.
    EXPECT_FALSE(LoadCoff({Words("ramfuncs", 0x8000, 0x100), Words("a", 0x8010, 4)}));
    ExpectRefused(
        "The specified file has overlapping sections: ramfuncs (0x008000-0x0080FF) and a (0x008010-0x008013) at "
        "0x008010");

    LoadSomething(kLf240xA);
    EXPECT_FALSE(LoadCoff({Words(".vectors", 0x0000, 0x44), Words(".text", 0x0040, 0x10)}, kLf240xA));
    ExpectRefused(
        "The specified file has overlapping sections: .vectors (0x000000-0x000043) and .text (0x000040-0x00004F) "
        "at 0x000040");
}

TEST_F(RuleLoad, TheOverlapNamesTheSectionsInFileOrder) {
    EXPECT_FALSE(LoadCoff({Words("late", 0x8100, 4), Words("wide", 0x8000, 0x200), Words("x", 0x9000, 1)}));
    ExpectRefused(
        "The specified file has overlapping sections: late (0x008100-0x008103) and wide (0x008000-0x0081FF) at "
        "0x008100");
}

TEST_F(RuleLoad, SectionsThatOnlyMeetLoad) {
    ASSERT_TRUE(LoadCoff(
        {Words("a", 0x8000, 0x10), Words("b", 0x8010, 0x10), Words("c", 0x3F6000, 4), Words("d", 0x3F6004, 4)}))
        << status.lastText();
    EXPECT_EQ(image.sectionCount(), 4);
    EXPECT_EQ(image.flashSummary.flashSectionCount, 2);
}

TEST_F(RuleLoad, SixtyFiveThousandSectionsAtOneAddressAreRefused) {
    EXPECT_FALSE(LoadCoff(std::vector<CoffSectionPlan>(0xFFFF, Words("s", 0x8000, 1))));
    ExpectRefused(
        "The specified file has overlapping sections: s (0x008000-0x008000) and s (0x008000-0x008000) at 0x008000");
}

TEST_F(RuleLoad, WordsOutsideTheDeviceAreRefused) {
    LoadSomething();
    EXPECT_FALSE(LoadCoff({Words("good", 0x3F6000, 4), Words(".far", 0x800000, 0x10)}));
    ExpectRefused("The specified file has a section outside F2812 memory: .far (0x800000-0x80000F) at 0x800000");

    // The last word lies beyond 32 bits: the range is shown whole.
    EXPECT_FALSE(LoadCoff({Words(".top", 0xFFFFFF00u, 0x200)}));
    ExpectRefused("The specified file has a section outside F2812 memory: .top (0xFFFFFF00-0x1000000FF) at 0xFFFFFF00");

    // H0 ends at 0x3F9FFF; what follows is reserved.
    EXPECT_FALSE(LoadCoff({Words("h0", 0x3F9FF0, 0x20)}));
    ExpectRefused("The specified file has a section outside F2812 memory: h0 (0x3F9FF0-0x3FA00F) at 0x3FA000");
}

TEST_F(RuleLoad, HexWordsOutsideTheDeviceAreRefused) {
    LoadSomething();
    // One word at 0xFFFFFF: upper address 0x00FF, word address 0xFFFF.
    const std::string text = ":0200000400FFFB\n:02FFFF001234BA\n:00000001FF\n";
    EXPECT_FALSE(Load("far.hex", std::vector<uint8_t>(text.begin(), text.end()), kF2812));
    ExpectRefused("The specified file has a section outside F2812 memory: hex@FFFFFF (0xFFFFFF-0xFFFFFF) at 0xFFFFFF");
}

TEST_F(RuleLoad, Lf240xaCoffAboveSixteenBitsIsRefusedAtLoad) {
    LoadSomething(kLf240xA);
    EXPECT_FALSE(LoadCoff({Words(".text", 0x10000, 4)}, kLf240xA));
    ExpectRefused("The specified file has a section outside LF240xA memory: .text (0x010000-0x010003) at 0x010000");

    EXPECT_FALSE(LoadCoff({Words(".text", 0xFFF0, 0x20)}, kLf240xA));
    ExpectRefused("The specified file has a section outside LF240xA memory: .text (0x00FFF0-0x01000F) at 0x010000");

    ASSERT_TRUE(LoadCoff({Words(".text", 0xFFE0, 0x20)}, kLf240xA)) << status.lastText();
}

TEST_F(RuleLoad, ASectionAcrossTheEdgeOfFlashIsRefused) {
    LoadSomething();
    EXPECT_FALSE(LoadCoff({Words(".text", 0x3D7FF0, 0x40)}));
    ExpectRefused(
        "The specified file has a section crossing the edge of F2812 flash: .text (0x3D7FF0-0x3D802F) at 0x3D8000");

    // Flash and H0 meet; a section may still not run from one into the other.
    EXPECT_FALSE(LoadCoff({Words(".text", 0x3F7FF0, 0x20)}));
    ExpectRefused(
        "The specified file has a section crossing the edge of F2812 flash: .text (0x3F7FF0-0x3F800F) at 0x3F8000");

    // The F2810's flash begins higher up.
    EXPECT_FALSE(LoadCoff({Words(".text", 0x3E7FF0, 0x20)}, kF2810));
    ExpectRefused(
        "The specified file has a section crossing the edge of F2810 flash: .text (0x3E7FF0-0x3E800F) at 0x3E8000");
}

TEST_F(RuleLoad, TiProgramLayoutsStillLoad) {
    // Flash up to the password words' neighbours, the RAM blocks run together
    // as linkers join them, and the F2812's external zones 2 and 6 as one.
    ASSERT_TRUE(LoadCoff({Words("codestart", 0x3F7FF6, 2), Words(".text", 0x3D8000, 0x100), Words("ram", 0x0000, 0x800),
                          Words("l01", 0x8000, 0x2000), Words("h0", 0x3F8000, 0x2000), Words("xz2", 0x0FFFF0, 0x20),
                          Words("xz0", 0x2000, 0x4000)}))
        << status.lastText();
    EXPECT_EQ(image.flashSummary.flashSectionCount, 2);
    EXPECT_EQ(image.flashSummary.nonFlashSectionCount, 5);
}

// The words a program may hold, device by device (word address, loads?).
struct Probe {
    DeviceType device;
    uint32_t address;
    bool loads;
};

class MemoryProbe : public ::testing::TestWithParam<Probe> {};

TEST_P(MemoryProbe, OneWordLoadsOnlyWhereTheDeviceHasMemory) {
    const Probe probe = GetParam();
    ImageSection section;
    section.name = "w";
    section.address = probe.address;
    section.wordCount = 1;
    const RuleBreak broken = CheckImageRules({section}, probe.device);
    EXPECT_EQ(broken.rule == ImageRule::None, probe.loads)
        << "device " << int{probe.device} << " address 0x" << std::hex << probe.address;
}

INSTANTIATE_TEST_SUITE_P(
    F281xDataSheetMap, MemoryProbe,
    ::testing::Values(
        // M0, M1 and the peripheral frame 0 after them
        Probe{kF2810, 0x0000, true}, Probe{kF2810, 0x07FF, true}, Probe{kF2812, 0x0800, false},
        Probe{kF2812, 0x0FFF, false}, Probe{kF2812, 0x1000, false},
        // XINTF zones 0 and 1: the F2812 only
        Probe{kF2812, 0x2000, true}, Probe{kF2812, 0x5FFF, true}, Probe{kF2811, 0x2000, false},
        Probe{kF2810, 0x5FFF, false},
        // peripheral frames 1 and 2
        Probe{kF2812, 0x6000, false}, Probe{kF2812, 0x7FFF, false},
        // L0 and L1
        Probe{kF2810, 0x8000, true}, Probe{kF2811, 0x9FFF, true}, Probe{kF2812, 0xA000, false},
        // XINTF zones 2 and 6 (where TI's F2838x programs link their flash), the F2812 only
        Probe{kF2812, 0x7FFFF, false}, Probe{kF2812, 0x80000, true}, Probe{kF2812, 0xBFFFF, true},
        Probe{kF2812, 0x17FFFF, true}, Probe{kF2812, 0x180000, false}, Probe{kF2811, 0x80000, false},
        Probe{kF2810, 0x100000, false},
        // OTP and the reserved space before flash
        Probe{kF2812, 0x3D7800, false}, Probe{kF2812, 0x3D7BFF, false}, Probe{kF2812, 0x3D7FFF, false},
        // flash: the F2810 has the upper 64 Ki words only
        Probe{kF2811, 0x3D8000, true}, Probe{kF2812, 0x3F7FFF, true}, Probe{kF2810, 0x3D8000, false},
        Probe{kF2810, 0x3E7FFF, false}, Probe{kF2810, 0x3E8000, true},
        // H0, then reserved space, XINTF zone 7's place and the boot ROM
        Probe{kF2810, 0x3F8000, true}, Probe{kF2812, 0x3F9FFF, true}, Probe{kF2812, 0x3FA000, false},
        Probe{kF2812, 0x3FC000, false}, Probe{kF2812, 0x3FF000, false}, Probe{kF2812, 0x3FFFC0, false},
        Probe{kF2812, 0x400000, false},
        // the LF240xA: 16-bit word addresses
        Probe{kLf240xA, 0x0000, true}, Probe{kLf240xA, 0xFFFF, true}, Probe{kLf240xA, 0x10000, false},
        Probe{1, 0x10000, false}));

TEST(DeviceMemoryMap, FlashBlockIsTheDeviceFlashRegion) {
    for (DeviceType type : {kF2810, kF2811, kF2812}) {
        int flashBlocks = 0;
        for (const MemoryBlock& block : DeviceMemory(type)) {
            if (block.name != "flash") continue;
            ++flashBlocks;
            EXPECT_EQ(block.first, DeviceInfo(type).flashStart);
            EXPECT_EQ(block.last, DeviceInfo(type).flashEnd);
        }
        EXPECT_EQ(flashBlocks, 1);
    }
}

TEST(DeviceMemoryMap, BlocksAreInAddressOrderAndApart) {
    for (DeviceType type = 0; type <= 4; ++type) {
        const auto blocks = DeviceMemory(type);
        for (size_t i = 1; i < blocks.size(); ++i) EXPECT_GT(blocks[i].first, blocks[i - 1].last);
    }
}

TEST(ImageRuleMessages, NamesAreShownAsOneLineOfPrintableText) {
    ImageSection odd;
    odd.name = "new\nline\xC3";
    odd.address = 0x800000;
    odd.wordCount = 1;
    const std::vector<ImageSection> sections{odd};
    const RuleBreak broken = CheckImageRules(sections, kF2812);
    EXPECT_EQ(RuleBreakMessage(broken, sections, kF2812),
              "The specified file has a section outside F2812 memory: new?line? (0x800000-0x800000) at 0x800000");
}

}  // namespace
}  // namespace nembra::testing
