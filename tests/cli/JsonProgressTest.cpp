#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "CliFiles.h"
#include "cli/CliMain.h"

namespace nembra::testing {
namespace {

using ::testing::HasSubstr;

struct ToolRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

class JsonProgress : public ::testing::Test {
protected:
    ToolRun RunTool(std::vector<std::string> args, bool terminal = false) {
        cli::CliEnvironment environment;
        environment.stderrIsTerminal = terminal;
        std::ostringstream out, err;
        args.insert(args.begin(), {"nembra-cli", "--sim=" + files.state});
        ToolRun run;
        run.exitCode = static_cast<int>(cli::RunCli(args, out, err, environment));
        run.out = out.str();
        run.err = err.str();
        return run;
    }
    CliFiles files;
};

std::vector<nlohmann::json> Records(const std::string& text) {
    std::vector<nlohmann::json> records;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) records.push_back(nlohmann::json::parse(line));
    return records;
}

// Even on a terminal standard error carries records only: no bar between them.
TEST_F(JsonProgress, AWriteStreamsEachPhaseFromItsOpeningToItsEndAndTheFinalLineStaysOnStandardOutput) {
    const ToolRun run = RunTool({"--json-progress", "write", files.f2812}, true);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr("Completed"));
    const auto records = Records(run.err);
    ASSERT_GE(records.size(), 4u);
    EXPECT_EQ(records.front()["progress"], "erase");
    EXPECT_EQ(records.front()["done"], 0);
    EXPECT_EQ(records.back(), nlohmann::json({{"progress", "none"}, {"done", 0}, {"total", 0}}));
    bool flashWritten = false;
    for (const auto& record : records) {
        EXPECT_LE(record["done"].get<int>(), record["total"].get<int>()) << record;
        flashWritten = flashWritten || (record["progress"] == "flash-write" && record["done"] == record["total"]);
    }
    EXPECT_TRUE(flashWritten);
}

TEST_F(JsonProgress, WithoutTheOptionNoRecordIsWritten) {
    const ToolRun run = RunTool({"write", files.f2812});
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_THAT(run.err, ::testing::Not(HasSubstr("\"progress\"")));
}

TEST_F(JsonProgress, ACommandWithoutAPodOrWithSeveralPodsIsAUsageError) {
    const ToolRun inspect = RunTool({"--json-progress", "inspect", files.f2812});
    EXPECT_EQ(inspect.exitCode, 2);
    EXPECT_THAT(inspect.err, HasSubstr("--json-progress applies to the commands that use one pod, not inspect"));
    const ToolRun gang = RunTool({"--sim-pods", "2", "--pod", "all", "--json-progress", "write", files.f2812});
    EXPECT_EQ(gang.exitCode, 2);
    EXPECT_THAT(gang.err, HasSubstr("--json-progress streams the progress of one pod"));
}

}  // namespace
}  // namespace nembra::testing
