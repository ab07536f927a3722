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

}  // namespace
}  // namespace nembra::testing
