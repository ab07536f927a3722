#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "CliFiles.h"
#include "CliProcess.h"
#include "sim/SimStoreFile.h"

namespace nembra::testing {
namespace {

// U+FFFD as UTF-8: what a byte that is not valid UTF-8 becomes in JSON.
const std::string kReplaced = "\xEF\xBF\xBD";

struct OddName {
    const char* label;
    std::string name;      // the program file's name
    std::string podName;   // the pod file name taken from it
    std::string fileTail;  // how the name ends the JSON's "file"
};

const OddName kOddNames[] = {
    // Eight bytes of Hangul end inside the third character.
    {"Hangul", "\xED\x95\x9C\xEA\xB8\x80\xED\x94\x84\xEB\xA1\x9C.out", "________",
     "\xED\x95\x9C\xEA\xB8\x80\xED\x94\x84\xEB\xA1\x9C.out"},
    {"Latin-1",
     "pr\xFC"
     "fung.out",
     "pr_fung", "pr" + kReplaced + "fung.out"},
    {"control", "new\nline\x01.out", "new_line", "new\nline\x01.out"},
};

void PrintTo(const OddName& odd, std::ostream* out) { *out << odd.label; }

// Every output path that can carry a name: each command's --json object,
// the --log record and the plain text. Before, the first name that was not
// UTF-8 aborted the tool (exit 134) with an uncaught JSON exception; after
// a write the board was programmed and its record lost.
class OddBytes : public ::testing::TestWithParam<OddName> {
protected:
    CliFiles files;
    std::string log = files.Path("boards.jsonl");
    std::string program = files.Path(GetParam().name);

    void SetUp() override { std::filesystem::copy_file(files.f2812, program); }
    CliRun Run(std::vector<std::string> args) { return RunTool(args, files.dir.path()); }
    CliRun Sim(std::vector<std::string> args) {
        args.insert(args.begin(), {"--sim=" + files.state, "--log", log});
        return RunTool(args, files.dir.path());
    }
    // The one JSON object on standard output.
    static nlohmann::json Json(const CliRun& run) {
        nlohmann::json json;
        EXPECT_NO_THROW(json = nlohmann::json::parse(run.out)) << run.out;
        return json;
    }
    std::vector<nlohmann::json> Records() const {
        std::vector<nlohmann::json> records;
        std::ifstream in(log);
        std::string line;
        while (std::getline(in, line)) records.push_back(nlohmann::json::parse(line));
        return records;
    }
    static bool EndsWith(const std::string& text, const std::string& tail) {
        return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
    }
};

TEST_P(OddBytes, EveryJsonObjectAndRecordIsWritten) {
    const OddName& odd = GetParam();
    CliRun run = Run({"--json", "inspect", program});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    nlohmann::json json = Json(run);
    EXPECT_EQ(json["podFileName"], odd.podName);
    EXPECT_TRUE(EndsWith(json["file"], odd.fileTail)) << json["file"];

    run = Run({"--json", "export", program, "-o", program + ".hex"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(Json(run)["ok"]);

    // The case that lost records: the board is programmed, then the record is made.
    run = Sim({"--json", "write", program});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(EndsWith(Json(run)["file"], odd.fileTail));
    run = Sim({"--json", "pod-write", program, "--verify"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Json(run)["podFileName"], odd.podName);
    run = Sim({"--json", "pod-verify", program});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    run = Sim({"--json", "info"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Json(run)["podFile"]["name"], odd.podName);
    run = Sim({"--json", "--sim-pods", "2", "--pod", "all", "write", program});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Json(run)["summary"]["succeeded"], 2);

    const std::vector<nlohmann::json> records = Records();
    ASSERT_EQ(records.size(), 6u);
    for (const nlohmann::json& record : records) {
        EXPECT_EQ(record["result"], 0) << record;
        if (!record["file"].is_null()) {
            EXPECT_TRUE(EndsWith(record["file"], odd.fileTail)) << record;
        }
    }
}

TEST_P(OddBytes, TextOutputCarriesTheNameAsItIs) {
    CliRun run = Run({"inspect", program});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("POD file name:        " + GetParam().podName + "\n"), std::string::npos) << run.out;
    run = Sim({"write", program});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    run = Sim({"pod-write", program});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    run = Sim({"info"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("POD File Name: " + GetParam().podName + " [when "), std::string::npos) << run.out;
    EXPECT_EQ(Records().size(), 3u);
}

// Option values that are refused end in a JSON object all the same.
TEST_P(OddBytes, RefusedOptionValuesGiveAJsonObject) {
    const std::string& name = GetParam().name;
    CliRun run = Run({"--json", "--device", name, "info"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(Json(run)["usageError"]);
    run = Run({"--json", "--sim=" + files.state, "pod-write", files.f2812, "--name", name});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(Json(run)["usageError"]);
    run = Sim({"--json", "--pod", name, "info"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_FALSE(Json(run)["ok"]);
    run = Run({"--json", "--sim=" + files.state, "--log", files.Path(name) + "/none/boards.jsonl", "info"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_FALSE(Json(run)["ok"]);
    run = Run({"--json", "inspect", files.Path(name + ".missing")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_FALSE(Json(run)["ok"]);
}

INSTANTIATE_TEST_SUITE_P(Names, OddBytes, ::testing::ValuesIn(kOddNames),
                         [](const ::testing::TestParamInfo<OddName>& info) {
                             std::string label = info.param.label;
                             label.erase(std::remove(label.begin(), label.end(), '-'), label.end());
                             return label;
                         });

// A name that another tool stored in the pod is shown and recorded whatever its bytes.
TEST(OddBytesInThePod, AStoredNameOfAnyBytesIsShownAndRecorded) {
    CliFiles files;
    SimStore store;
    store.hasProgram = true;
    store.deviceCode = 5;
    store.tag = {'p', 'r', 0xFC, '\n', 0x01, 0xED, 0x95, 0, 0x07, 0xEA, 12, 7, 9, 30};
    ASSERT_TRUE(SaveStoreFile(files.state, store));
    const std::string log = files.Path("boards.jsonl");
    CliRun run = RunTool({"--sim=" + files.state, "--log", log, "--json", "info"}, files.dir.path());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const nlohmann::json json = nlohmann::json::parse(run.out);
    EXPECT_EQ(json["podFile"]["name"], "pr" + kReplaced + "\n\x01" + kReplaced);
    run = RunTool({"--sim=" + files.state, "--log", log, "info"}, files.dir.path());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("POD File Name: pr\xFC\n\x01\xED\x95 [when 2026.12.07 09:30]"), std::string::npos)
        << run.out;
    std::ifstream in(log);
    std::string line;
    int records = 0;
    while (std::getline(in, line)) {
        EXPECT_EQ(nlohmann::json::parse(line)["result"], 0);
        ++records;
    }
    EXPECT_EQ(records, 2);
}

// A section name of any bytes, from a file of another tool.
TEST(OddBytesInTheFile, ASectionNameOfAnyBytesIsInspected) {
    CliFiles files;
    CoffFilePlan plan;
    CoffSectionPlan section;
    section.name = "\xFF\xFE\x1B[2J";
    section.address = 0x3F6000;
    section.words = Pattern(4);
    plan.sections = {section};
    const std::string program = files.dir.Write("odd.out", BuildCoff(plan));
    const CliRun run = RunTool({"--json", "inspect", program}, files.dir.path());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const nlohmann::json json = nlohmann::json::parse(run.out);
    EXPECT_EQ(json["sections"][0]["name"], kReplaced + kReplaced + "\x1B[2J");
}

}  // namespace
}  // namespace nembra::testing
