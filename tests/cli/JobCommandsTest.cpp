#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>

#include "CliFiles.h"
#include "CliProcess.h"
#include "station/FileDigest.h"
#include "station/RecordStore.h"

namespace nembra::testing {
namespace {

class JobCommands : public ::testing::Test {
protected:
    CliRun Run(const std::vector<std::string>& args) { return RunTool(args, files.dir.path()); }

    std::string Job(const std::string& extra) const {
        const std::string path = files.Path("line2.toml");
        std::ofstream(path) << "name = \"line 2\"\ndevice = \"f2812\"\ncommand = \"write\"\nprogram = \"app.out\"\n"
                            << "program_sha256 = \"" << station::FileSha256(files.f2812) << "\"\n"
                            << extra << "[records]\nstore = \"line2.sqlite\"\n";
        return path;
    }

    static station::BoardRow Row(const std::string& job, const std::string& pod, int result, uint64_t serial,
                                 const std::string& time) {
        station::BoardRow row;
        row.time = time;
        row.host = row.station = "bench-2";
        row.tool = "nembra-cli";
        row.command = "write";
        row.device = "f2812";
        row.podSerial = pod;
        row.result = result;
        row.message = result == 0 ? "Flash Write Completed - 1.00 sec" : "Fail to write flash memory, \"block 3\"";
        row.job = job;
        row.operatorName = "ana";
        row.boardSerial = serial;
        return row;
    }

    CliFiles files;
};

TEST_F(JobCommands, JobCheckShowsThePlanOfASoundJob) {
    ASSERT_EQ(files.f2812, files.Path("app.out"));
    const std::string job = Job("[serial]\naddress = 0x3F4000\nwords = 2\nencoding = \"bcd\"\nfirst = 1\nlast = 99\n");
    const CliRun run = Run({"job", "check", job});
    ASSERT_EQ(run.exitCode, 0) << run.err << run.out;
    for (const char* text :
         {"Job \"line 2\"", "SHA-256:  ", "(the job's)", "flash sectors A and C",
          "erase:    sectors A, B and C (B for the serial number)",
          "serial:   0x3F4000, 2 word(s), bcd, 1 to 99 step 1 (99 numbers); outside the program", "The job is ready"})
        EXPECT_NE(run.out.find(text), std::string::npos) << text << "\n" << run.out;
    const auto json = nlohmann::json::parse(Run({"--json", "job", "check", job}).out);
    EXPECT_EQ(json["command"], "job check");
    EXPECT_EQ(json["eraseMask"], "0x0007");
    EXPECT_EQ(json["serial"]["count"], 99);
    // The same CRC-32 of the words as a write's --log record gives.
    const CliRun write = Run({"--sim=" + files.state, "--log", files.Path("boards.jsonl"), "write", files.f2812});
    ASSERT_EQ(write.exitCode, 0) << write.err;
    const auto record = nlohmann::json::parse(ReadText(files.Path("boards.jsonl")));
    EXPECT_EQ(json["wordsCrc32"], record["wordsCrc32"]);
    EXPECT_NE(run.out.find("CRC-32:   " + record["wordsCrc32"].get<std::string>()), std::string::npos) << run.out;
}

TEST_F(JobCommands, JobCheckListsEveryProblemAndFails) {
    const std::string job =
        Job("colour = 1\n[serial]\naddress = 0x3F7FF8\nwords = 2\nencoding = \"bcd\"\nfirst = 1\nlast = 99\n");
    std::ofstream(files.f2812, std::ios::app) << "x";
    const CliRun run = Run({"job", "check", job});
    EXPECT_EQ(run.exitCode, 1);
    for (const char* text :
         {"The job has 3 problem(s):", "unknown key \"colour\" (line 6)", "but the job expects", "CSM password words"})
        EXPECT_NE(run.err.find(text), std::string::npos) << text << "\n" << run.err;
}

// A job file that cannot be read or is not TOML shows no plan made of
// defaults (an F2812, a write, every pod), only why it was not read.
TEST_F(JobCommands, AJobFileThatWasNotReadShowsNoPlan) {
    std::ofstream(files.Path("broken.toml")) << "name = \"line 2\"\ndevice = [\n";
    for (const std::string& job : {files.Path("missing.toml"), files.Path("broken.toml")}) {
        CliRun run = Run({"job", "check", job});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.out, "") << job;
        EXPECT_NE(run.err.find("The job has 1 problem(s):"), std::string::npos) << job << run.err;
        run = Run({"--json", "job", "check", job});
        EXPECT_EQ(run.exitCode, 1);
        const auto json = nlohmann::json::parse(run.out);
        EXPECT_TRUE(json["device"].is_null()) << run.out;
        EXPECT_TRUE(json["jobCommand"].is_null()) << run.out;
        EXPECT_EQ(json["problems"].size(), 1u) << run.out;
    }
}

TEST_F(JobCommands, RecordsListFilterAndCount) {
    const std::string job = Job("");
    station::StoreStatus status;
    {
        auto store = station::OpenRecordStore(files.Path("line2.sqlite"), status);
        ASSERT_TRUE(store) << status.message;
        ASSERT_TRUE(store->Record(Row("line 2", "FT01", 0, 1000, "2026-12-07T08:00:00Z")).ok());
        ASSERT_TRUE(store->Record(Row("line 2", "FT02", 1, 1001, "2026-12-07T09:00:00Z")).ok());
        ASSERT_TRUE(store->Record(Row("line 3", "FT01", 0, 5, "2026-12-07T10:00:00Z")).ok());
    }
    CliRun run = Run({"records", job});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("2026-12-07T08:00:00Z  line 2  FT01  1000  passed"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("line 3"), std::string::npos) << run.out;
    EXPECT_TRUE(run.out.ends_with("passed 1, failed 1, total 2\n")) << run.out;

    run = Run(
        {"--json", "records", files.Path("line2.sqlite"), "--pod-serial", "FT01", "--since", "2026-12-07T09:30:00Z"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto json = nlohmann::json::parse(run.out);
    ASSERT_EQ(json["records"].size(), 1u);
    EXPECT_EQ(json["records"][0]["job"], "line 3");
    EXPECT_EQ(json["records"][0]["boardSerial"], 5);
    for (const char* key : {"podSerial", "fileSha256", "station", "operator", "step", "cause"})
        EXPECT_TRUE(json["records"][0].contains(key)) << key;
    EXPECT_EQ(json["counts"]["total"], 1);

    run = Run({"records", job, "--csv", "--board-serial", "1001"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out.rfind("time,host,tool,command,device,", 0), 0u) << run.out;
    EXPECT_NE(run.out.find(",\"Fail to write flash memory, \"\"block 3\"\"\","), std::string::npos) << run.out;
    EXPECT_EQ(run.err, "passed 0, failed 1, total 1\n");
}

TEST_F(JobCommands, RecordsRefuseWhatIsNoStore) {
    CliRun run = Run({"records", files.Path("none.sqlite")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("No record store at " + files.Path("none.sqlite")), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(files.Path("none.sqlite")));
    run = Run({"records", files.f2812, "--board-serial", "12a"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("--board-serial \"12a\" is not a serial number"), std::string::npos) << run.err;
    // A program named by mistake is refused and left as it is, its mode included.
    std::filesystem::permissions(files.f2812, std::filesystem::perms(0644));
    run = Run({"records", files.f2812});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("The file " + files.f2812 + " is not an SQLite record store; it is left as it is"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(std::filesystem::status(files.f2812).permissions(), std::filesystem::perms(0644));
}

}  // namespace
}  // namespace nembra::testing
