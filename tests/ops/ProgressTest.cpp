#include "tests/ops/OpsFixture.h"

namespace nembra::testing {
namespace {

using Ranges = std::vector<std::pair<int32_t, int32_t>>;

// What the user sees while a sequence runs: the progress texts in order and
// a bar that counts data words (and erased sectors).
class ProgressTest : public OpsFixture {
protected:
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        // The completion lines end with the elapsed time, which is left out.
        for (const auto& line : status.lines) {
            const size_t dash = line.text.find(" - ");
            texts.push_back(dash == std::string::npos ? line.text : line.text.substr(0, dash + 1));
        }
        return texts;
    }
};

TEST_F(ProgressTest, F2810EraseAllAndWrite) {
    UseCoff("p.out", Coff({Section("ram", 0x008000, 30, 1), Section("text", 0x3F6000, 100, 2)}, true), 2);
    job.eraseAll = true;
    auto ctx = Ctx();
    RunTargetWrite(ctx);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"Reading COFF file is successful", "Starting SCI Boot...",
                                                 "Downloading Flash Algorithm Code [Max: 10 sec]...",
                                                 "Initializing target board for flash memory write...",
                                                 "Erasing Flash Memory...", "Writing Flash Memory...",
                                                 "Flash Write Completed "}));
    EXPECT_EQ(status.ranges, (Ranges{{0, 5}, {0, 100}}));
    EXPECT_EQ(status.steps, 5 + 100);
}

TEST_F(ProgressTest, IntelligentEraseStepsOncePerSector) {
    UseCoff("p.out", Coff({Section("a", 0x3F0000, 10, 1), Section("b", 0x3E4000, 10, 2)}, true), 4);  // C and F
    auto ctx = Ctx();
    RunTargetWrite(ctx);
    EXPECT_EQ(status.ranges, (Ranges{{0, 2}, {0, 20}}));
    const std::string written(rig.device.written().begin(), rig.device.written().end());
    EXPECT_NE(written.find("\x02O010004\x03\x02O010020\x03"), std::string::npos);
}

TEST_F(ProgressTest, Lf240x) {
    UseCoff("p.out", Coff({Section("a", 0x0000, 200, 1), Section("b", 0x1000, 201, 2)}, false), 0);
    auto ctx = Ctx();
    RunTargetWrite(ctx);
    EXPECT_EQ(Texts(),
              (std::vector<std::string>{
                  "Reading COFF file is successful", "Starting SCI Boot & Downloading Flash Algorithm [Max: 10 sec]...",
                  "Downloading User Program...", "Reset target board...", "Flash Write Completed "}));
    EXPECT_EQ(status.ranges, (Ranges{{0, 401}}));
    EXPECT_EQ(status.steps, 401);
}

TEST_F(ProgressTest, F281xRamDownload) {
    UseCoff("p.out", Coff({Section("a", 0x008000, 250, 1)}, true), 4);
    auto ctx = Ctx();
    RunTargetWrite(ctx);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"Reading COFF file is successful", "Starting SCI Boot...",
                                                 "Downloading User Program...", "Flash Write Completed "}));
    EXPECT_EQ(status.ranges, (Ranges{{0, 250}}));
}

TEST_F(ProgressTest, PodWriteAndVerifyWithPassword) {
    UseCoff("p.out", Coff({Section("ram", 0x008000, 30, 1), Section("text", 0x3F6000, 140, 2)}, true), 4);
    job.unlockCsm = true;
    auto ctx = Ctx();
    RunPodWrite(ctx);
    RunPodVerify(ctx);
    EXPECT_EQ(Texts(),
              (std::vector<std::string>{"Reading COFF file is successful", "Writing user program in serial flash...",
                                        "Writing CSM password information...", "Writing tag data information...",
                                        "Writing COFF file information...", "EEPROM Write Completed ",
                                        "Reading COFF information in serial flash...",
                                        "Reading section information in serial flash...",
                                        "Reading CSM Password information in serial flash...",
                                        "Verifying user program in serial flash...", "EEPROM Verify Completed "}));
    EXPECT_EQ(status.ranges, (Ranges{{0, 140}, {0, 140}}));
    EXPECT_EQ(status.steps, 280);
}

}  // namespace
}  // namespace nembra::testing
