#include <filesystem>

#include "tests/ops/OpsFixture.h"

namespace nembra::testing {
namespace {

enum class Image { F2812Flash, F2812RamOnly, Lf240x };

struct FaultCase {
    const char* name;
    Image image;
    std::vector<SimFault> faults;
    const char* message;
};

SimFault NoReply(char letter, int occurrence) { return SimFault{SimFault::Kind::NoReply, letter, occurrence}; }

// One flash section in sector A: "O" 00 is the first "O", the erase the
// second and the first block program the third.
const std::vector<FaultCase>& Cases() {
    static const std::vector<FaultCase> cases{
        {"BootF281x", Image::F2812Flash, {NoReply('N', 1)}, "Fail to start SCI boot"},
        {"BootLf240x", Image::Lf240x, {NoReply('M', 1)}, "Fail to start SCI boot"},
        {"DownloadLf240x", Image::Lf240x, {NoReply('Z', 2)}, "Fail to download user program"},
        {"DownloadLf240xHeader", Image::Lf240x, {NoReply('U', 3)}, "Fail to download user program"},
        {"DownloadF281xRam", Image::F2812RamOnly, {NoReply('Y', 1)}, "Fail to download user program"},
        {"DownloadF281xEnd", Image::F2812RamOnly, {NoReply('X', 1)}, "Fail to download user program"},
        {"ResetF281x", Image::F2812Flash, {NoReply('R', 1)}, "Fail to reset target board"},
        {"ResetLf240x", Image::Lf240x, {NoReply('R', 1)}, "Fail to reset target board"},
        {"Algorithm", Image::F2812Flash, {NoReply('K', 1)}, "Fail to download flash algorithm code"},
        {"FlashInitTwice",
         Image::F2812Flash,
         {NoReply('O', 1), NoReply('O', 2)},
         "Fail to initialize target board for flash memory write"},
        {"Erase", Image::F2812Flash, {NoReply('O', 2)}, "Fail to erase flash memory"},
        {"WriteBlock", Image::F2812Flash, {NoReply('O', 3)}, "Fail to write flash memory"},
        {"WriteWrongAck",
         Image::F2812Flash,
         {SimFault{SimFault::Kind::WrongFirstByte, 'O', 4}},
         "Fail to write flash memory"},
        {"BootWrongAck",
         Image::F2812Flash,
         {SimFault{SimFault::Kind::WrongFirstByte, 'N', 1}},
         "Fail to start SCI boot"},
    };
    return cases;
}

class TargetWriteFaultTest : public OpsFixture, public ::testing::WithParamInterface<FaultCase> {
protected:
    void UseImage(Image image) {
        switch (image) {
            case Image::F2812Flash: UseCoff("flash.out", Coff({Section("text", 0x3F6000, 100, 1)}, true), 4); break;
            case Image::F2812RamOnly: UseCoff("ram.out", Coff({Section("text", 0x008000, 250, 2)}, true), 4); break;
            case Image::Lf240x: UseCoff("lf.out", Coff({Section("text", 0x0000, 300, 3)}, false), 0); break;
        }
    }
};

TEST_P(TargetWriteFaultTest, ShowsItsMessageAndCleansUp) {
    const FaultCase& c = GetParam();
    UseImage(c.image);
    for (const SimFault& fault : c.faults) rig.pod.ArmFault(fault);
    auto ctx = Ctx();
    RunTargetWrite(ctx);
    EXPECT_EQ(status.lastText(), c.message);
    EXPECT_TRUE(status.lastIsError());
    ExpectCleanedUp();
    EXPECT_EQ(events.busyCalls, 1);
    EXPECT_EQ(events.idleCalls, 1);
    EXPECT_TRUE(session.image.imageLoaded);  // the image survives a failure
}

INSTANTIATE_TEST_SUITE_P(EveryResult, TargetWriteFaultTest, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return std::string(info.param.name); });

class FlashInitRetryTest : public OpsFixture {};

TEST_F(FlashInitRetryTest, OneMissedInitIsRepeatedAfterAPurge) {
    UseCoff("flash.out", Coff({Section("text", 0x3F6000, 100, 1)}, true), 4);
    rig.pod.ArmFault(NoReply('O', 1));
    auto ctx = Ctx();
    RunTargetWrite(ctx);
    EXPECT_EQ(status.lastText().rfind("Flash Write Completed - ", 0), 0u) << status.lastText();
    const std::string written(rig.device.written().begin(), rig.device.written().end());
    const std::string init = "\x02O00\x03";
    const size_t first = written.find(init);
    ASSERT_NE(first, std::string::npos);
    EXPECT_NE(written.find(init, first + 1), std::string::npos);
    ExpectCleanedUp();
}

TEST_F(FlashInitRetryTest, ASecondTargetWriteAfterAFailureReusesTheImage) {
    const std::string path = UseCoff("flash.out", Coff({Section("text", 0x3F6000, 100, 1)}, true), 4);
    rig.pod.ArmFault(NoReply('K', 1));
    auto ctx = Ctx();
    RunTargetWrite(ctx);
    ASSERT_EQ(status.lastText(), "Fail to download flash algorithm code");
    std::filesystem::remove(path);  // not read again
    RunTargetWrite(ctx);
    EXPECT_EQ(status.lastText().rfind("Flash Write Completed - ", 0), 0u) << status.lastText();
}

}  // namespace
}  // namespace nembra::testing
