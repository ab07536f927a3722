#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <sys/wait.h>
#include <unistd.h>
#include <nlohmann/json.hpp>

#include <cctype>
#include <csignal>
#include <filesystem>
#include <sstream>

#include "CliFiles.h"
#include "CliProcess.h"
#include "sim/SimStoreFile.h"

namespace nembra::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::MatchesRegex;

// Several simulated pods on one station, each with its store beside the state.
class ProductionLine : public ::testing::Test {
protected:
    CliFiles files;
    CliRun Run(std::vector<std::string> args, int pods = 4) {
        args.insert(args.begin(), {"--sim=" + files.state, "--sim-pods", std::to_string(pods)});
        return RunTool(args, files.dir.path());
    }
    std::string StoreOf(const std::string& serial) const {
        const std::filesystem::path state(files.state);
        return (state.parent_path() / (state.stem().string() + "." + serial + state.extension().string())).string();
    }
    bool Stored(const std::string& serial) const {
        SimStore store;
        return LoadStoreFile(StoreOf(serial), store) && store.hasProgram;
    }
    std::vector<nlohmann::json> Records(const std::string& log) const { return ReadJsonLines(log); }
};

TEST_F(ProductionLine, ListShowsEverySimulatedPodWithItsSerialAndLocation) {
    CliRun run = Run({"list"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr("INDEX  SERIAL"));
    EXPECT_THAT(run.out, HasSubstr("3      SIM00004          KVL47Q POD            simulated  0x0004    yes"));

    run = Run({"--json", "list"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto json = nlohmann::json::parse(run.out);
    ASSERT_EQ(json["pods"].size(), 4u);
    for (int i = 0; i < 4; ++i) {
        const auto& pod = json["pods"][static_cast<size_t>(i)];
        EXPECT_EQ(pod["index"], i);
        EXPECT_EQ(pod["serial"], "SIM0000" + std::to_string(i + 1));
        EXPECT_EQ(pod["description"], "KVL47Q POD");
        EXPECT_EQ(pod["backend"], "simulated");
        EXPECT_EQ(pod["location"], i + 1);
        EXPECT_EQ(pod["openable"], true);
    }
}

TEST_F(ProductionLine, PodSelectsBySerialIndexListOrAll) {
    CliRun run = Run({"--pod", "SIM00003", "pod-write", files.f2812});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(Stored("SIM00003"));
    EXPECT_FALSE(Stored("SIM00001"));

    run = Run({"--pod", "1", "pod-write", files.f2812});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(Stored("SIM00002"));

    run = Run({"--json", "--pod", "0, SIM00004,0", "info"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto json = nlohmann::json::parse(run.out);
    ASSERT_EQ(json["pods"].size(), 2u);
    EXPECT_EQ(json["pods"][0]["serial"], "SIM00001");
    EXPECT_EQ(json["pods"][1]["serial"], "SIM00004");

    run = Run({"--json", "--pod", "all", "info"});
    EXPECT_EQ(nlohmann::json::parse(run.out)["pods"].size(), 4u);
}

TEST_F(ProductionLine, WithoutPodTheFirstPodIsUsed) {
    const CliRun run = Run({"pod-write", files.f2812});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_THAT(run.out, MatchesRegex("EEPROM Write Completed - [0-9.]+ sec\n"));
    EXPECT_TRUE(Stored("SIM00001"));
    EXPECT_FALSE(Stored("SIM00002"));
}

TEST_F(ProductionLine, APodThatIsNotAttachedFailsNamingIt) {
    CliRun run = Run({"--pod", "SIM00001,FT123456", "pod-write", files.f2812});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "No pod with the serial number or index \"FT123456\" is attached\n");
    EXPECT_FALSE(Stored("SIM00001"));  // nothing runs when one pod is missing

    run = Run({"--pod", "7", "info"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.err, HasSubstr("\"7\""));
}

TEST_F(ProductionLine, GangRunProgramsEveryPodWithOneSummary) {
    const CliRun run = Run({"--pod", "all", "write", files.f2812});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::istringstream lines(run.out);
    std::string line;
    for (int i = 1; i <= 4; ++i) {
        ASSERT_TRUE(std::getline(lines, line));
        EXPECT_THAT(line, MatchesRegex("SIM0000" + std::to_string(i) + ": Flash Write Completed - [0-9.]+ sec"));
    }
    ASSERT_TRUE(std::getline(lines, line));
    EXPECT_THAT(line, MatchesRegex("4 pods: 4 succeeded, 0 failed, slowest [0-9.]+ sec"));
    EXPECT_TRUE(run.err.empty()) << run.err;
}

TEST_F(ProductionLine, GangJsonHoldsTheSinglePodObjects) {
    const CliRun run = Run({"--json", "--pod", "all", "pod-write", files.f2812, "--name", "LINE1"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto json = nlohmann::json::parse(run.out);
    EXPECT_EQ(json["ok"], true);
    ASSERT_EQ(json["pods"].size(), 4u);
    for (const auto& pod : json["pods"]) {
        EXPECT_EQ(pod["ok"], true);
        EXPECT_EQ(pod["command"], "pod-write");
        EXPECT_EQ(pod["podFileName"], "LINE1");
        EXPECT_GT(pod["elapsedMs"].get<int>(), 0);
    }
    EXPECT_EQ(json["summary"]["pods"], 4);
    EXPECT_EQ(json["summary"]["succeeded"], 4);
    EXPECT_EQ(json["summary"]["failed"], 0);
    for (int i = 1; i <= 4; ++i) EXPECT_TRUE(Stored("SIM0000" + std::to_string(i)));
}

TEST_F(ProductionLine, AFailingPodNeitherStopsNorSlowsTheOthers) {
    const CliRun run = Run({"--json", "--pod", "all", "--sim-fault", "unplug:W:2@SIM00002", "pod-write", files.f2812});
    EXPECT_EQ(run.exitCode, 1);
    const auto json = nlohmann::json::parse(run.out);
    EXPECT_EQ(json["ok"], false);
    EXPECT_EQ(json["summary"]["failed"], 1);
    EXPECT_EQ(json["pods"][1]["ok"], false);
    const auto healthy = json["pods"][0]["elapsedMs"].get<int>();
    for (size_t i : {0u, 2u, 3u}) {
        EXPECT_EQ(json["pods"][i]["ok"], true);
        EXPECT_EQ(json["pods"][i]["elapsedMs"], healthy);  // modeled time is each pod's own
    }
    EXPECT_FALSE(Stored("SIM00002"));
    EXPECT_TRUE(Stored("SIM00004"));
}

bool HoldsTheProgram(const std::string& hexPath) {
    WordMap target;
    std::string error;
    if (!ReadIntelHex(ReadText(hexPath), target, error)) return false;
    for (const auto& [address, word] : F2812FlashWords())
        if (target.count(address) == 0 || target.at(address) != word) return false;
    return true;
}

// Each pod writes its own trace and target memory, named with its serial
// number; a pod pulled out mid-write leaves its own files only.
TEST_F(ProductionLine, SeveralPodsWriteATraceAndATargetFileEach) {
    const CliRun run = Run({"--pod", "all", "--sim-fault", "unplug:O:5@SIM00002", "--trace", files.Path("t.trace"),
                            "--sim-target-hex", files.Path("target.hex"), "write", files.f2812});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.err, HasSubstr("SIM00002: Fail to write flash memory"));
    const std::string healthyTrace = ReadText(files.Path("t.SIM00001.trace"));
    EXPECT_THAT(healthyTrace, HasSubstr("# open \"KVL47Q POD\"\n# purge\n> <STX>I<ETX>\n< !\n"));
    EXPECT_THAT(healthyTrace, HasSubstr("> <STX>R<ETX>"));
    for (const std::string serial : {"SIM00001", "SIM00003", "SIM00004"}) {
        EXPECT_EQ(ReadText(files.Path("t." + serial + ".trace")), healthyTrace) << serial;
        EXPECT_TRUE(HoldsTheProgram(files.Path("target." + serial + ".hex"))) << serial;
    }
    const std::string pulledTrace = ReadText(files.Path("t.SIM00002.trace"));
    EXPECT_THAT(pulledTrace, HasSubstr("> <STX>I<ETX>"));
    EXPECT_LT(pulledTrace.size(), healthyTrace.size());
    EXPECT_FALSE(HoldsTheProgram(files.Path("target.SIM00002.hex")));
    EXPECT_FALSE(std::filesystem::exists(files.Path("t.trace")));
    EXPECT_FALSE(std::filesystem::exists(files.Path("target.hex")));
}

// A pod's own output file that would land on the program file or a pod's
// store is a usage error, and nothing is written.
TEST_F(ProductionLine, APodsOutputOverAFileItKeepsIsAUsageError) {
    const std::string program = files.Path("app.SIM00003.out");
    std::filesystem::copy_file(files.f2812, program);
    const std::string before = ReadText(program);
    CliRun run = Run({"--pod", "all", "--trace", files.Path("app.out"), "write", program});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_THAT(run.err, HasSubstr("--trace " + program + " is the same file as FILE"));
    EXPECT_EQ(ReadText(program), before);
    EXPECT_FALSE(std::filesystem::exists(files.Path("app.SIM00001.out")));

    ASSERT_EQ(Run({"--pod", "SIM00002", "pod-write", files.f2812}).exitCode, 0);
    const std::string store = ReadText(StoreOf("SIM00002"));
    run = Run({"--pod", "SIM00002", "--sim-target-hex", StoreOf("SIM00002"), "write", files.f2812});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_THAT(run.err, HasSubstr("is the same file as the store of SIM00002"));
    EXPECT_EQ(ReadText(StoreOf("SIM00002")), store);
}

std::string Sha256Of(const std::string& path) {
    const std::string bytes = ReadText(path);
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_sha256(), nullptr);
    std::string hex;
    char two[3];
    for (unsigned i = 0; i < length; ++i) {
        std::snprintf(two, sizeof two, "%02x", digest[i]);
        hex += two;
    }
    return hex;
}

TEST_F(ProductionLine, LogHoldsOneRecordPerPod) {
    const std::string log = files.Path("boards.jsonl");
    const CliRun run = Run({"--log", log, "--pod", "all", "--sim-fault", "refused:W:1@SIM00003", "pod-write",
                            files.f2812, "--unlock", "a1b2,c3d4,e5f6,1234,5678,9abc,def0,4321"});
    EXPECT_EQ(run.exitCode, 1) << run.err;
    const auto records = Records(log);
    ASSERT_EQ(records.size(), 4u);
    for (size_t i = 0; i < records.size(); ++i) {
        const auto& r = records[i];
        EXPECT_THAT(r["time"].get<std::string>(), MatchesRegex("20[0-9][0-9]-[01][0-9]-[0-3][0-9]T[0-9:]{8}Z"));
        EXPECT_FALSE(r["host"].get<std::string>().empty());
        EXPECT_EQ(r["tool"], "nembra-cli 1.5");
        EXPECT_EQ(r["command"], "pod-write");
        EXPECT_EQ(r["device"], "f2812");
        EXPECT_EQ(r["file"], std::filesystem::absolute(files.f2812).string());
        EXPECT_EQ(r["fileSha256"], Sha256Of(files.f2812));
        EXPECT_THAT(r["wordsCrc32"].get<std::string>(), MatchesRegex("[0-9A-F]{8}"));
        EXPECT_EQ(r["wordsCrc32"], records[0]["wordsCrc32"]);
        EXPECT_EQ(r["eraseMask"], "0005");
        EXPECT_EQ(r["csmKeysUsed"], true);
        EXPECT_EQ(r["podSerial"], "SIM0000" + std::to_string(i + 1));
        EXPECT_EQ(r["firmwareVersion"], 15);
        EXPECT_EQ(r["result"], i == 2 ? 1 : 0);
        EXPECT_GT(r["elapsedMs"].get<int>(), 0);
    }
    EXPECT_THAT(records[0]["message"].get<std::string>(), HasSubstr("EEPROM Write Completed"));
    for (const char* key : {"a1b2", "A1B2", "9abc", "9ABC", "41761"})
        EXPECT_EQ(ReadText(log).find(key), std::string::npos) << "a key found its way into the record";
}

TEST_F(ProductionLine, RecordsTellTheProgramsApart) {
    const std::string log = files.Path("boards.jsonl");
    ASSERT_EQ(Run({"--log", log, "write", files.f2812}).exitCode, 0);
    ASSERT_EQ(Run({"--log", log, "write", files.f2812Other}).exitCode, 0);
    ASSERT_EQ(Run({"--log", log, "--device", "lf240xa-40", "write", files.lf240x}).exitCode, 0);
    ASSERT_EQ(Run({"--log", log, "reset"}).exitCode, 0);
    const auto records = Records(log);
    ASSERT_EQ(records.size(), 4u);
    EXPECT_NE(records[0]["wordsCrc32"], records[1]["wordsCrc32"]);
    EXPECT_NE(records[0]["fileSha256"], records[1]["fileSha256"]);
    EXPECT_EQ(records[0]["podSerial"], "SIM00001");
    EXPECT_EQ(records[2]["eraseMask"], nullptr);
    EXPECT_EQ(records[3]["file"], nullptr);
    EXPECT_EQ(records[3]["wordsCrc32"], nullptr);
}

TEST_F(ProductionLine, ALogThatCannotBeWrittenStopsBeforeThePod) {
    const CliRun run = Run({"--log", files.dir.path(), "--pod", "all", "pod-write", files.f2812});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.err, HasSubstr("Cannot open the log file " + files.dir.path()));
    for (int i = 1; i <= 4; ++i) EXPECT_FALSE(std::filesystem::exists(StoreOf("SIM0000" + std::to_string(i))));
}

TEST_F(ProductionLine, ProcessesAppendWholeLinesToOneLog) {
    const std::string log = files.Path("shared.jsonl");
    constexpr int kProcesses = 4;
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        const pid_t child = ::fork();
        if (child == 0) {
            const std::string dir = files.Path("station" + std::to_string(p));
            std::filesystem::create_directories(dir);
            const CliRun run = RunTool({"--sim=" + dir + "/pod.store", "--sim-pods", "4", "--pod", "all", "--log", log,
                                        "pod-write", files.f2812},
                                       dir);
            ::_exit(run.exitCode);
        }
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(Records(log).size(), 4u * kProcesses);
}

TEST_F(ProductionLine, VerifyAfterWriteShowsAStoreThePodDidNotKeep) {
    CliRun run = Run({"pod-write", files.f2812, "--verify"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_THAT(run.out, MatchesRegex("EEPROM Write Completed - [0-9.]+ sec; EEPROM Verify Completed - [0-9.]+ sec\n"));

    // The "H" that ends the store is lost: without --verify this reads as success.
    run = Run({"--sim-fault", "lost:H:1", "pod-write", files.f2812Other});
    EXPECT_EQ(run.exitCode, 0);
    run = Run({"--json", "--sim-fault", "lost:H:1", "pod-write", files.f2812Other, "--verify"});
    EXPECT_EQ(run.exitCode, 1);
    const auto json = nlohmann::json::parse(run.out);
    EXPECT_EQ(json["verified"], false);
    EXPECT_THAT(json["message"].get<std::string>(), HasSubstr("; "));
    EXPECT_THAT(json["message"].get<std::string>(), ::testing::Not(HasSubstr("Verify Completed")));
}

struct FaultCase {
    const char* fault;
    const char* message;
    int exitCode;
};

class SimFaults : public ProductionLine, public ::testing::WithParamInterface<FaultCase> {};

// Every fault kind, as docs/cli.md shows it.
TEST_P(SimFaults, EachKindGivesItsDocumentedLine) {
    const FaultCase& c = GetParam();
    const CliRun run = Run({"--sim-fault", c.fault, "write", files.f2812}, 1);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
    EXPECT_THAT(run.exitCode == 0 ? run.out : run.err, MatchesRegex(c.message));
}

INSTANTIATE_TEST_SUITE_P(EveryKind, SimFaults,
                         ::testing::Values(FaultCase{"lost:O:3", "Fail to erase flash memory\n", 1},
                                           FaultCase{"refused:O:2", "Fail to erase flash memory\n", 1},
                                           FaultCase{"slow:O:1:5000", "Flash Write Completed - [0-9]+\\.[0-9]{2} sec\n",
                                                     0},
                                           FaultCase{"stray:O:1", "Fail to erase flash memory\n", 1},
                                           FaultCase{"unplug:O:5", "Fail to write flash memory\n", 1},
                                           FaultCase{"unplug:I:1", "Fail to initialize KVL47Q POD\n", 1}),
                         [](const ::testing::TestParamInfo<FaultCase>& info) {
                             std::string name;
                             for (const char* c = info.param.fault; *c != '\0'; ++c)
                                 name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
                             return name;
                         });

TEST_F(ProductionLine, ASlowReplyAddsItsDelayToTheModeledTime) {
    const std::string log = files.Path("boards.jsonl");
    ASSERT_EQ(Run({"--log", log, "write", files.f2812}, 1).exitCode, 0);
    ASSERT_EQ(Run({"--log", log, "--sim-fault", "slow:O:1:5000", "write", files.f2812}, 1).exitCode, 0);
    const auto records = Records(log);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1]["elapsedMs"].get<int>() - records[0]["elapsedMs"].get<int>(), 5000);
}

TEST_F(ProductionLine, MalformedFaultsAreUsageErrors) {
    for (const char* fault : {"melt:W", "lost", "lost:WW", "lost:W:0", "stray:W:1:50", "lost:W@", "slow:W:1:x"}) {
        const CliRun run = Run({"--sim-fault", fault, "info"}, 1);
        EXPECT_EQ(run.exitCode, 2) << fault;
        EXPECT_THAT(run.err, HasSubstr("--sim-fault \"" + std::string(fault) + "\"")) << fault;
    }
    const CliRun run = Run({"--sim-fault", "lost:W:1@SIM00009", "info"}, 2);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_THAT(run.err, HasSubstr("there is no simulated pod SIM00009"));
    EXPECT_EQ(RunTool({"--sim-pods", "2", "info"}, files.dir.path()).exitCode, 2);  // needs --sim
}

}  // namespace
}  // namespace nembra::testing

namespace nembra::testing {
namespace {

// True once the tool has SIGINT blocked, i.e. its own handling is in place.
bool InterruptHandled(pid_t pid) {
    std::istringstream status(ReadText("/proc/" + std::to_string(pid) + "/status"));
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("SigBlk:", 0) == 0)
            return (std::stoull(line.substr(7), nullptr, 16) & (1ull << (SIGINT - 1))) != 0;
    return false;
}

// The simulated pods are paced and answer the first erase ten minutes late,
// so the runs are still going when Ctrl-C comes.
TEST_F(ProductionLine, CtrlCStopsEveryRunAndNamesTheUnfinishedBoards) {
    const std::string log = files.Path("boards.jsonl");
    const pid_t child = StartTool({"--sim=" + files.state, "--sim-pods", "3", "--sim-paced", "--pod", "all", "--log",
                                   log, "--sim-fault", "slow:O:1:600000", "write", files.f2812},
                                  files.dir.path());
    ASSERT_GT(child, 0);
    for (int polls = 0; polls < 20000 && !InterruptHandled(child); ++polls) ::usleep(500);
    ::kill(child, SIGINT);
    const CliRun run = FinishTool(child, files.dir.path());
    EXPECT_EQ(run.exitCode, 1);  // not killed by the signal: the tool ended on its own
    EXPECT_THAT(run.err, HasSubstr("Stopped: the boards on SIM00001, SIM00002, SIM00003 were left unfinished"));
    EXPECT_THAT(run.out, HasSubstr("3 pods: 0 succeeded, 3 failed"));
    const auto records = Records(log);
    ASSERT_EQ(records.size(), 3u);
    for (const auto& record : records) EXPECT_EQ(record["result"], 1);
}

}  // namespace
}  // namespace nembra::testing

namespace nembra::testing {
namespace {

TEST_F(ProductionLine, ALogOverTheProgramFileIsAUsageError) {
    const std::string before = ReadText(files.f2812);
    const CliRun run = Run({"--log", files.f2812, "write", files.f2812});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_THAT(run.err, HasSubstr("--log " + files.f2812 + " is the same file as FILE"));
    EXPECT_EQ(ReadText(files.f2812), before);
}

}  // namespace
}  // namespace nembra::testing

namespace nembra::testing {
namespace {

// Ctrl-C is a cause of its own in the record and in --json, at the step the
// run had reached (which one depends on when the signal comes).
TEST_F(ProductionLine, CtrlCIsTheStoppedCauseInTheRecordAndTheJson) {
    const std::string log = files.Path("boards.jsonl");
    const pid_t child = StartTool({"--sim=" + files.state, "--sim-paced", "--json", "--log", log, "--sim-fault",
                                   "slow:O:1:600000", "write", files.f2812},
                                  files.dir.path());
    ASSERT_GT(child, 0);
    for (int polls = 0; polls < 20000 && !InterruptHandled(child); ++polls) ::usleep(500);
    ::kill(child, SIGINT);
    const CliRun run = FinishTool(child, files.dir.path());
    EXPECT_EQ(run.exitCode, 1);
    const auto json = nlohmann::json::parse(run.out);
    EXPECT_EQ(json["cause"], "stopped");
    EXPECT_THAT(json["step"].get<std::string>(), MatchesRegex("connect|boot|algorithm|flash-init"));
    const auto records = Records(log);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0]["cause"], "stopped");
    EXPECT_EQ(records[0]["step"], json["step"]);
    EXPECT_THAT(run.err, HasSubstr("Stopped: the board on SIM00001 was left unfinished"));
}

}  // namespace
}  // namespace nembra::testing
