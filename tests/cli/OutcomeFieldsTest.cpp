#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sstream>

#include "CliFiles.h"
#include "CliProcess.h"
#include "cli/GangOutput.h"
#include "station/FailureFields.h"

namespace nembra::testing {
namespace {

using station::FailureFields;

TEST(FailureFields, SuccessHasNullStepAndCause) {
    const auto fields = station::FailureFields(StepOutcome::Success());
    EXPECT_EQ(fields.dump(), R"({"step":null,"cause":null})");
}

TEST(FailureFields, EachWhereHasItsOwnKeyAndForm) {
    const LinkOutcome refused{Cause::Refused, 0x15, 0};
    EXPECT_EQ(station::FailureFields(StepOutcome::Failed(Step::Erase, refused, Where{Where::Kind::Sector, 2})).dump(),
              R"({"step":"erase","cause":"refused","where":{"sector":"C"},"byte":"15"})");
    const LinkOutcome unplugged = LinkOutcome::Of(Cause::Unplugged);
    EXPECT_EQ(
        station::FailureFields(StepOutcome::Failed(Step::FlashWrite, unplugged, Where{Where::Kind::Address, 0x3F6028}))
            .dump(),
        R"({"step":"flash-write","cause":"unplugged","where":{"address":"3F6028"}})");
    const LinkOutcome lost = LinkOutcome::Of(Cause::NoReply);
    EXPECT_EQ(station::FailureFields(StepOutcome::Failed(Step::CompareData, lost, Where{Where::Kind::Page, 12})).dump(),
              R"({"step":"compare-data","cause":"no-reply","where":{"page":12}})");
    EXPECT_EQ(station::FailureFields(StepOutcome::Failed(Step::CompareSections, LinkOutcome::Of(Cause::Differs),
                                                         Where{Where::Kind::Section, 3}))
                  .dump(),
              R"({"step":"compare-sections","cause":"differs","where":{"section":3}})");
    const LinkOutcome readError{Cause::ReadError, 0, 4};
    EXPECT_EQ(station::FailureFields(StepOutcome::Failed(Step::Boot, readError)).dump(),
              R"({"step":"boot","cause":"read-error","driverStatus":4})");
}

// A single pod found by its description may have no serial number to name.
TEST(UnfinishedLine, NamesNoEmptySerialNumber) {
    station::PodResult pod;
    pod.unfinished = true;
    EXPECT_EQ(station::UnfinishedLine({pod}), "Stopped: the board was left unfinished");
    pod.serial = "SIM00001";
    EXPECT_EQ(station::UnfinishedLine({pod}), "Stopped: the board on SIM00001 was left unfinished");
}

struct FaultCase {
    const char* fault;
    const char* step;
    const char* cause;
    const char* whereKey;  // null: no where
    const char* whereValue;
};

// The F2812 file's flash lies in sectors A and C: "O" 1 is the flash
// initialisation, 2 and 3 erase A and C, 4 on programs the blocks.
class FaultFields : public ::testing::TestWithParam<FaultCase> {
protected:
    CliFiles files;
};

void ExpectFields(const nlohmann::json& json, const FaultCase& c) {
    EXPECT_EQ(json["step"], c.step) << json.dump();
    EXPECT_EQ(json["cause"], c.cause) << json.dump();
    if (c.whereKey == nullptr) {
        EXPECT_FALSE(json.contains("where")) << json.dump();
        return;
    }
    ASSERT_TRUE(json.contains("where")) << json.dump();
    EXPECT_EQ(json["where"][c.whereKey].dump(), c.whereValue) << json.dump();
}

TEST_P(FaultFields, JsonAndLogCarryStepCauseAndWhere) {
    const FaultCase& c = GetParam();
    const std::string log = files.Path("boards.jsonl");
    const CliRun run =
        RunTool({"--sim=" + files.state, "--json", "--log", log, "--sim-fault", c.fault, "write", files.f2812},
                files.dir.path());
    EXPECT_EQ(run.exitCode, 1) << run.out << run.err;
    ExpectFields(nlohmann::json::parse(run.out), c);
    const auto records = ReadJsonLines(log);
    ASSERT_EQ(records.size(), 1u);
    ExpectFields(records[0], c);
}

INSTANTIATE_TEST_SUITE_P(EveryKind, FaultFields,
                         ::testing::Values(FaultCase{"lost:O:3", "erase", "no-reply", "sector", "\"C\""},
                                           FaultCase{"refused:O:2", "erase", "refused", "sector", "\"A\""},
                                           FaultCase{"slow:O:2:25000", "erase", "no-reply", "sector", "\"A\""},
                                           FaultCase{"stray:O:1", "erase", "stray-byte", "sector", "\"A\""},
                                           FaultCase{"unplug:O:4", "flash-write", "unplugged", "address", "\"3F6010\""},
                                           FaultCase{"unplug:I:1", "connect", "unplugged", nullptr, nullptr},
                                           FaultCase{"refused:N:1", "boot", "refused", nullptr, nullptr}),
                         [](const ::testing::TestParamInfo<FaultCase>& info) {
                             std::string name;
                             for (const char* c = info.param.fault; *c != '\0'; ++c)
                                 name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
                             return name;
                         });

class VerifyFields : public ::testing::Test {
protected:
    CliFiles files;
    nlohmann::json Verify(std::vector<std::string> extra) {
        std::vector<std::string> args{"--sim=" + files.state, "--json"};
        args.insert(args.end(), extra.begin(), extra.end());
        const CliRun run = RunTool(args, files.dir.path());
        return nlohmann::json::parse(run.out);
    }
};

// One line for both, a cause that tells a page that differs from one the pod did not answer.
TEST_F(VerifyFields, APageThatDiffersAndOneNotAnsweredHaveTheirOwnCause) {
    ASSERT_EQ(RunTool({"--sim=" + files.state, "pod-write", files.f2812}, files.dir.path()).exitCode, 0);
    const auto differs = Verify({"pod-verify", files.f2812Other});
    EXPECT_EQ(differs["message"], "The selected COFF file data is not same in serial flash");
    EXPECT_EQ(differs["step"], "compare-data");
    EXPECT_EQ(differs["cause"], "differs");
    EXPECT_EQ(differs["where"]["page"], 0);
    const auto lost = Verify({"--sim-fault", "lost:L:1", "pod-verify", files.f2812});
    EXPECT_EQ(lost["message"], "The selected COFF file data is not same in serial flash");
    EXPECT_EQ(lost["step"], "compare-data");
    EXPECT_EQ(lost["cause"], "no-reply");
    EXPECT_EQ(lost["where"]["page"], 0);
}

TEST_F(VerifyFields, ChecksBeforeThePodHaveAStepAndCause) {
    const auto none = Verify({"pod-verify", files.f2812Ram});
    EXPECT_EQ(none["message"], "There is no valid section for flash region");
    EXPECT_EQ(none["step"], "check");
    EXPECT_EQ(none["cause"], "no-flash-section");
    const auto missing = Verify({"write", files.Path("missing.out")});
    EXPECT_EQ(missing["step"], "load");
    EXPECT_EQ(missing["cause"], "load-failed");
}

}  // namespace
}  // namespace nembra::testing
