#include <filesystem>
#include <fstream>
#include <sstream>

#include "image/IntelHex.h"
#include "image/LoadCoffFile.h"
#include "pod/SerialFlashStore.h"
#include "pod/TargetSequences.h"
#include "tests/sim/SimFixture.h"
#include "tests/support/RecordingStatus.h"

namespace nembra::testing {
namespace {

// The real TI programs through the whole tool onto the simulated pod: what
// lands in the target's flash must be what TI's hex converter says.
class SimEndToEndTest : public SimPodTest {
protected:
    void SetUp() override {
        folder_ = std::filesystem::path(NEMBRA_TESTDATA_DIR) / "ti-coff";
        if (!std::filesystem::exists(folder_ / "TB3CM_DSP_Code.out"))
            GTEST_SKIP() << "TI test data not found in " << folder_.string();
        Start(FastOptions(store.File("pod.store")));
    }

    void Load(const std::string& name) {
        DeviceType type = 4;
        LoadContext load{image, type, 4, recent, status};
        ASSERT_TRUE(LoadCoffFile(load, (folder_ / name).string(), false)) << status.lastText();
    }

    WordMap TiHex(const std::string& name) {
        std::ifstream in(folder_ / name);
        std::stringstream text;
        text << in.rdbuf();
        WordMap words;
        std::string error;
        EXPECT_TRUE(ReadIntelHex(text.str(), words, error)) << error;
        return words;
    }

    SequenceContext Context() { return SequenceContext{*link, image, 4, keys, status}; }

    std::filesystem::path folder_;
    TempFolder store;
    ProgramImage image;
    RecentFiles recent;
    RecordingStatus status;
    CsmKeyTable keys = kNoPassword;
};

TEST_F(SimEndToEndTest, TargetWriteLeavesTisWordsInFlash) {
    Load("TB3CM_DSP_Code.out");
    SequenceContext ctx = Context();
    ASSERT_EQ(ProgramF281x(ctx, image.flashSummary.hasFlashSection, false, false), TargetWriteResult::Success);
    ExpectNoProtocolErrors();
    const WordMap expected = TiHex("TB3CM_DSP_Code.hex");
    ASSERT_FALSE(expected.empty());
    int wrong = 0;
    for (const auto& [address, word] : expected) wrong += pod().TargetFlashWord(address) != word;
    EXPECT_EQ(wrong, 0);
}

TEST_F(SimEndToEndTest, PodWriteThenVerifyInAnotherPod) {
    Load("Example_281xSci_FFDLB_int.out");
    {
        SequenceContext ctx = Context();
        ASSERT_TRUE(StoreInSerialFlash(ctx, false, false, "EXAMPLE", LocalDateTime{2007, 3, 2, 14, 5}))
            << status.lastText();
    }
    ExpectNoProtocolErrors();
    Start(FastOptions(store.File("pod.store")));
    SequenceContext ctx = Context();
    EXPECT_TRUE(VerifySerialFlash(ctx)) << status.lastText();
    ExpectNoProtocolErrors();
    PodFileRecord record;
    ASSERT_TRUE(ReadPodInfo(*link, record));
    EXPECT_EQ(std::string(record.bytes.begin() + 1, record.bytes.begin() + 8), "EXAMPLE");
}

// TI's hex converter output of a program programs the same flash as the
// linker's .out it was made from.
class SimHexRoundTrip : public SimEndToEndTest, public ::testing::WithParamInterface<const char*> {
protected:
    std::vector<uint16_t> FlashAfterTargetWrite(const std::string& file) {
        Start(FastOptions(store.File(file + ".store")));
        image.imageLoaded = false;
        Load(file);
        SequenceContext ctx = Context();
        EXPECT_EQ(ProgramF281x(ctx, image.flashSummary.hasFlashSection, false, false), TargetWriteResult::Success)
            << status.lastText();
        ExpectNoProtocolErrors();
        std::vector<uint16_t> flash;
        for (uint32_t address = 0x3D8000; address <= 0x3F7FFF; ++address)
            flash.push_back(pod().TargetFlashWord(address));
        return flash;
    }
};

TEST_P(SimHexRoundTrip, HexAndOutProgramTheSameFlash) {
    const std::string name = GetParam();
    const std::vector<uint16_t> fromOut = FlashAfterTargetWrite(name + ".out");
    const std::vector<uint16_t> fromHex = FlashAfterTargetWrite(name + ".hex");
    ASSERT_EQ(fromOut.size(), fromHex.size());
    size_t different = 0;
    for (size_t i = 0; i < fromOut.size(); ++i) different += fromOut[i] != fromHex[i];
    EXPECT_EQ(different, 0u);
}

INSTANTIATE_TEST_SUITE_P(Programs, SimHexRoundTrip, ::testing::Values("TB3CM_DSP_Code", "Example_281xSci_FFDLB_int"));

}  // namespace
}  // namespace nembra::testing
