#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "station/BoardRecord.h"
#include "station/BoardRow.h"
#include "station/JsonText.h"
#include "status/QuietStatus.h"
#include "tests/support/CoffBuilder.h"

namespace nembra::station {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

// The CRC-32 of words sent each low byte first, worked out bit by bit.
uint32_t Crc32(const std::vector<uint16_t>& words) {
    uint32_t crc = 0xFFFFFFFF;
    for (uint16_t word : words) {
        for (uint8_t byte : {static_cast<uint8_t>(word & 0xFF), static_cast<uint8_t>(word >> 8)}) {
            crc ^= byte;
            for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

std::string Hex8(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", value);
    return text;
}

class BoardRecordTest : public ::testing::Test {
protected:
    // An F2812 program: 32 words in flash sector E and 16 in RAM.
    BoardRecordTest() {
        testing::CoffSectionPlan flash;
        flash.name = "text";
        flash.address = 0x3E8000;
        flash.words = flashWords;
        testing::CoffSectionPlan ram;
        ram.name = "ramfuncs";
        ram.address = 0x008000;
        ram.words = testing::Pattern(16, 9);
        testing::CoffFilePlan coff;
        coff.sections = {flash, ram};
        job.filePath = dir.Write("app.out", testing::BuildCoff(coff));
        job.device = 4;
        QuietStatus status;
        loaded = !LoadSharedImage(job, image, status).has_value();
    }

    nlohmann::ordered_json Record(const RunOutcome& outcome = Passed()) {
        return BoardRecord(job, "nembra-cli 9.9", CommandFacts(job, &image), "SIM00002", {1234, 15}, outcome);
    }
    static RunOutcome Passed() {
        RunOutcome outcome;
        outcome.ok = true;
        outcome.message = "Target Write Completed";
        return outcome;
    }

    std::vector<uint16_t> flashWords = testing::Pattern(32, 1);
    testing::TempDir dir;
    nembra::Job job;
    ProgramImage image;
    bool loaded = false;
};

TEST_F(BoardRecordTest, ATargetWritesRecordHasEveryFieldInItsOrder) {
    ASSERT_TRUE(loaded);
    const nlohmann::ordered_json record = Record();
    std::vector<std::string> keys;
    for (auto it = record.begin(); it != record.end(); ++it) keys.push_back(it.key());
    EXPECT_THAT(keys, ElementsAre("time", "host", "tool", "command", "device", "file", "fileSha256", "wordsCrc32",
                                  "eraseMask", "csmKeysUsed", "podSerial", "firmwareVersion", "result", "message",
                                  "elapsedMs", "step", "cause"));
    EXPECT_EQ(record["tool"], "nembra-cli 9.9");
    EXPECT_EQ(record["host"], StationName());
    EXPECT_EQ(record["command"], "write");
    EXPECT_EQ(record["device"], "f2812");
    EXPECT_EQ(record["file"], std::filesystem::absolute(job.filePath).string());
    EXPECT_EQ(record["fileSha256"], FileSha256(job.filePath));
    // The flash words only: a Target Write leaves the RAM section of a flash program alone.
    EXPECT_EQ(record["wordsCrc32"], Hex8(Crc32(flashWords)));
    EXPECT_EQ(record["eraseMask"], "0010");
    EXPECT_EQ(record["csmKeysUsed"], false);
    EXPECT_EQ(record["podSerial"], "SIM00002");
    EXPECT_EQ(record["firmwareVersion"], 15);
    EXPECT_EQ(record["result"], 0);
    EXPECT_EQ(record["message"], "Target Write Completed");
    EXPECT_EQ(record["elapsedMs"], 1234);
    EXPECT_TRUE(record["step"].is_null());
    EXPECT_TRUE(record["cause"].is_null());
}

TEST_F(BoardRecordTest, AFailureCarriesItsStepCauseAndWhere) {
    RunOutcome failed;
    failed.message = "Flash Programming Failed";
    failed.failure =
        StepOutcome::Failed(Step::FlashWrite, LinkOutcome::Of(Cause::NoReply), Where{Where::Kind::Address, 0x3E8010});
    const nlohmann::ordered_json record = Record(failed);
    EXPECT_EQ(record["result"], 1);
    EXPECT_EQ(record["message"], "Flash Programming Failed");
    EXPECT_EQ(record["step"], "flash-write");
    EXPECT_EQ(record["cause"], "no-reply");
    EXPECT_EQ(record["where"]["address"], "3E8010");
}

TEST_F(BoardRecordTest, EraseAllAndAPodWriteChangeWhatIsErasedAndSent) {
    job.eraseAll = true;
    EXPECT_EQ(Record()["eraseMask"], "03FF");
    job.command = nembra::JobCommand::PodWrite;
    const nlohmann::ordered_json record = Record();
    EXPECT_EQ(record["command"], "pod-write");
    EXPECT_FALSE(record["wordsCrc32"].is_null());
    EXPECT_FALSE(record["eraseMask"].is_null());
}

TEST_F(BoardRecordTest, ACommandWithoutAFileRecordsNoFile) {
    job.command = nembra::JobCommand::TargetReset;
    const nlohmann::ordered_json record = Record();
    EXPECT_EQ(record["command"], "reset");
    EXPECT_TRUE(record["file"].is_null());
    EXPECT_TRUE(record["fileSha256"].is_null());
    EXPECT_TRUE(record["wordsCrc32"].is_null());
    EXPECT_TRUE(record["eraseMask"].is_null());
    EXPECT_EQ(CommandFacts(job, &image).fileSha256, "");
}

// Whether keys were used, never the keys themselves, in any spelling.
TEST_F(BoardRecordTest, TheKeysAreNeverRecorded) {
    job.unlockCsm = true;
    job.keys = {0x1357, 0x2468, 0xACE0, 0xBDF1, 0x1357, 0x2468, 0xACE0, 0xBDF1};
    const std::string text = JsonText(Record());
    EXPECT_THAT(text, HasSubstr("\"csmKeysUsed\":true"));
    for (const char* spelled : {"1357", "2468", "ACE0", "ace0", "4951", "9320", "44256"})
        EXPECT_THAT(text, Not(HasSubstr(spelled))) << spelled;
    // Only the writes unlock the target, and only an F281x has the module.
    job.command = nembra::JobCommand::PodVerify;
    EXPECT_EQ(Record()["csmKeysUsed"], false);
    job.command = nembra::JobCommand::PodWrite;
    EXPECT_EQ(Record()["csmKeysUsed"], true);
    job.device = 1;
    EXPECT_EQ(Record()["csmKeysUsed"], false);
}

TEST_F(BoardRecordTest, OddBytesStayValidJson) {
    RunOutcome outcome = Passed();
    outcome.message = std::string("Stored as \"caf\xE9\" in \xFF\xFE pod");
    job.filePath = dir.path() + "/caf\xE9.out";
    const std::string text = JsonText(Record(outcome));
    const nlohmann::json back = nlohmann::json::parse(text, nullptr, false);
    ASSERT_FALSE(back.is_discarded()) << text;
    EXPECT_EQ(back["message"], "Stored as \"caf\xEF\xBF\xBD\" in \xEF\xBF\xBD\xEF\xBF\xBD pod");
    EXPECT_THAT(back["file"].get<std::string>(), HasSubstr("caf\xEF\xBF\xBD.out"));
    // A character cut short is replaced, a whole one kept.
    EXPECT_EQ(JsonText(nlohmann::ordered_json("\xC3")), "\"\xEF\xBF\xBD\"");
    EXPECT_EQ(JsonText(nlohmann::ordered_json("\xC3\xA9")), "\"\xC3\xA9\"");
}

}  // namespace
}  // namespace nembra::station
