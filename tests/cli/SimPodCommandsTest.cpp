#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "CliFiles.h"
#include "CliProcess.h"
#include "image/ProgramImage.h"
#include "tests/support/HardwareTests.h"

namespace nembra::testing {
namespace {

class SimPodCommands : public ::testing::Test {
protected:
    CliFiles files;
    std::string Sim() const { return "--sim=" + files.state; }
    CliRun Run(std::vector<std::string> args) {
        args.insert(args.begin(), Sim());
        return RunTool(args, files.dir.path());
    }
    static bool Completed(const std::string& line, const std::string& prefix) {
        return ::testing::Value(line, ::testing::MatchesRegex(prefix + "[0-9]+\\.[0-9]{2} sec\n"));
    }
};

TEST_F(SimPodCommands, WriteProgramsFlashAndPrintsTheFinalLineOnly) {
    const CliRun run = Run({"write", files.f2812});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(Completed(run.out, "Flash Write Completed - ")) << run.out;
    EXPECT_TRUE(run.err.empty()) << run.err;
}

// Seconds in a "... Completed - 12.34 sec" line.
double Seconds(const std::string& line) {
    const size_t dash = line.rfind("- ");
    return dash == std::string::npos ? -1.0 : std::stod(line.substr(dash + 2));
}

// The chip behind the pod sets how long its flash takes to erase: a slow
// one still makes the 20 s per-sector time-out, a failing one does not.
TEST_F(SimPodCommands, SimChipSetsTheEraseTime) {
    const CliRun typical = Run({"write", files.f2812});
    ASSERT_EQ(typical.exitCode, 0) << typical.err;
    const CliRun slow = Run({"--sim-chip", "slow", "write", files.f2812});
    ASSERT_EQ(slow.exitCode, 0) << slow.err;
    EXPECT_TRUE(Completed(slow.out, "Flash Write Completed - ")) << slow.out;
    EXPECT_GT(Seconds(slow.out), Seconds(typical.out) + 5.0) << typical.out << slow.out;
    const CliRun failing = Run({"--sim-chip", "failing", "write", files.f2812});
    EXPECT_EQ(failing.exitCode, 1);
    EXPECT_THAT(failing.out + failing.err, ::testing::HasSubstr("Fail to erase flash memory"));

    EXPECT_EQ(RunTool({"--sim-chip", "slow", "info"}, files.dir.path()).exitCode, 2);  // needs --sim
    EXPECT_EQ(Run({"--sim-chip", "glacial", "info"}).exitCode, 2);
}

// The target memory after a write: the image's words in flash, 0xFFFF in
// the rest of every sector that the write erased.
void ExpectProgrammed(const WordMap& target, uint16_t erasedMask) {
    const WordMap flash = F2812FlashWords();
    for (const auto& [address, word] : flash) ASSERT_EQ(target.at(address), word) << std::hex << address;
    size_t erasedWords = 0;
    for (const auto& [address, word] : target) {
        SectorHit hit{};
        if (!FindFlashSector(address, hit) || (erasedMask & hit.maskBit) == 0 || flash.count(address) != 0) continue;
        ASSERT_EQ(word, 0xFFFF) << std::hex << address;
        ++erasedWords;
    }
    EXPECT_GT(erasedWords, 0u);
    // The F2812's whole flash region is in the file.
    EXPECT_EQ(target.count(0x3D8000), 1u);
    EXPECT_EQ(target.count(0x3F7FFF), 1u);
}

WordMap ReadHex(const std::string& path) {
    WordMap words;
    std::string error;
    EXPECT_TRUE(ReadIntelHex(ReadText(path), words, error)) << error;
    return words;
}

TEST_F(SimPodCommands, TargetHexHoldsTheImageInFlashAndErasedWordsElsewhere) {
    const std::string hex = files.Path("target.hex");
    CliRun run = Run({"--sim-target-hex", hex, "write", files.f2812});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    ExpectProgrammed(ReadHex(hex), 0x0005);  // sectors A and C

    run = Run({"--sim-target-hex", hex, "write", files.f2812, "--erase-all"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    ExpectProgrammed(ReadHex(hex), 0x03FF);
}

// The Intel HEX that export writes goes through every pod command as the
// COFF file it came from does.
TEST_F(SimPodCommands, HexFilesWorkInEveryPodCommand) {
    const std::string program = files.Path("program.hex");
    ASSERT_EQ(Run({"export", files.f2812, "-o", program}).exitCode, 0);

    const std::string fromOut = files.Path("from-out.hex");
    const std::string fromHex = files.Path("from-hex.hex");
    ASSERT_EQ(Run({"--sim-target-hex", fromOut, "write", files.f2812}).exitCode, 0);
    const CliRun write = Run({"--sim-target-hex", fromHex, "write", program});
    ASSERT_EQ(write.exitCode, 0) << write.err;
    EXPECT_TRUE(Completed(write.out, "Flash Write Completed - ")) << write.out;
    EXPECT_EQ(ReadHex(fromHex), ReadHex(fromOut));

    CliRun run = Run({"pod-write", program});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    run = Run({"pod-verify", program});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    run = Run({"--json", "info"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("\"program\""), std::string::npos) << run.out;
}

TEST_F(SimPodCommands, RamOnlyProgramIsDownloaded) {
    const std::string hex = files.Path("target.hex");
    const CliRun run = Run({"--sim-target-hex", hex, "write", files.f2812Ram});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    WordMap target;
    std::string error;
    ASSERT_TRUE(ReadIntelHex(ReadText(hex), target, error)) << error;
    EXPECT_EQ(target.at(0x8000), Pattern(250)[0]);
    EXPECT_EQ(target.at(0x8000 + 249), Pattern(250)[249]);
    EXPECT_EQ(target.at(0x9002), Pattern(3, 9)[2]);
}

TEST_F(SimPodCommands, Lf240xWriteSendsEveryWord) {
    const std::string hex = files.Path("target.hex");
    const CliRun run = Run({"--device", "lf240xa-30", "--sim-target-hex", hex, "write", files.lf240x});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    WordMap target;
    std::string error;
    ASSERT_TRUE(ReadIntelHex(ReadText(hex), target, error)) << error;
    EXPECT_EQ(target.size(), 205u);
    EXPECT_EQ(target.at(0x0040 + 200), Pattern(201)[200]);
    EXPECT_EQ(target.at(0x0003), Pattern(4, 3)[3]);
}

TEST_F(SimPodCommands, AllZeroPasswordIsRefusedBeforeThePod) {
    const std::string trace = files.Path("trace.log");
    const CliRun run = Run({"--trace", trace, "write", files.f2812, "--unlock", "0,0000,0,0,0,0,0,0"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.empty());
    EXPECT_EQ(run.err, "CSM Password input is wrong\n");
    EXPECT_EQ(ReadText(trace).find("> "), std::string::npos);
}

TEST_F(SimPodCommands, UnlockSendsTheKeysWithTheAlgorithm) {
    const std::string trace = files.Path("trace.log");
    const CliRun run = Run({"--trace", trace, "write", files.f2812, "--unlock", "1234,,abcd,0x0F,,,,"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(ReadText(trace).find("1234FFFFABCD000FFFFFFFFFFFFFFFFF"), std::string::npos);
}

TEST_F(SimPodCommands, ResetAndInfoOnAFreshPod) {
    CliRun run = Run({"reset"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "Target board's reset is successful\n");
    run = Run({"info"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(::testing::Value(run.out, ::testing::MatchesRegex("POD Ver: [0-9]\\.[0-9], No POD File Data\n")))
        << run.out;
}

TEST_F(SimPodCommands, PodStorePersistsBetweenRuns) {
    CliRun run = Run({"pod-write", files.f2812, "--name", "MYAPP"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(Completed(run.out, "EEPROM Write Completed - ")) << run.out;

    run = Run({"pod-verify", files.f2812});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(Completed(run.out, "EEPROM Verify Completed - ")) << run.out;

    run = Run({"info"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(::testing::Value(
        run.out,
        ::testing::MatchesRegex("POD Ver: [0-9]\\.[0-9], POD File Name: MYAPP \\[when [0-9]{4}\\.[0-9]{2}\\.[0-9]{2} "
                                "[0-9]{2}:[0-9]{2}\\]\n")))
        << run.out;

    run = Run({"pod-verify", files.f2812Other});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.empty());
    EXPECT_FALSE(run.err.empty());
}

TEST_F(SimPodCommands, PodWriteWithoutNameUsesTheFileName) {
    const CliRun run = Run({"--json", "pod-write", files.f2812});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(nlohmann::json::parse(run.out)["podFileName"], "app");
    const auto info = nlohmann::json::parse(Run({"--json", "info"}).out);
    EXPECT_EQ(info["podFile"]["name"], "app");
}

TEST_F(SimPodCommands, PodWriteRefusesARamOnlyImage) {
    const CliRun run = Run({"pod-write", files.f2812Ram});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "There is no valid section for flash region\n");
}

TEST_F(SimPodCommands, JsonShapes) {
    auto json = nlohmann::json::parse(Run({"--json", "write", files.f2812}).out);
    EXPECT_EQ(json["ok"], true);
    EXPECT_EQ(json["command"], "write");
    EXPECT_EQ(json["device"], "f2812");
    EXPECT_EQ(json["file"], files.f2812);
    EXPECT_TRUE(json["message"].get<std::string>().starts_with("Flash Write Completed - "));

    json = nlohmann::json::parse(Run({"--json", "info"}).out);
    EXPECT_EQ(json["ok"], true);
    EXPECT_TRUE(json["firmwareVersion"].is_number());
    EXPECT_TRUE(json["podVersion"].is_string());
    EXPECT_TRUE(json["podFile"].is_null());

    json = nlohmann::json::parse(Run({"--json", "pod-verify", files.f2812}).out);
    EXPECT_EQ(json["ok"], false);
    EXPECT_TRUE(json["message"].is_string());
}

TEST_F(SimPodCommands, TraceShowsFramesAndReplies) {
    const std::string trace = files.Path("trace.log");
    const CliRun run = Run({"--trace", trace, "reset"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::string text = ReadText(trace);
    EXPECT_NE(text.find("> <STX>I<ETX>\n"), std::string::npos) << text;
    EXPECT_NE(text.find("> <STX>R<ETX>\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\n< !"), std::string::npos) << text;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        ASSERT_GE(line.size(), 2u) << line;
        EXPECT_TRUE(line.starts_with("> ") || line.starts_with("< ") || line.starts_with("# ")) << line;
    }
}

TEST_F(SimPodCommands, DefaultStateLivesUnderXdgStateHome) {
    CliRun run = RunTool({"--sim", "pod-write", files.f2812}, files.dir.path());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(std::filesystem::exists(files.dir.path() + "/state/nembra/sim-pod.store"));
    run = RunTool({"--sim", "pod-verify", files.f2812}, files.dir.path());
    EXPECT_EQ(run.exitCode, 0) << run.err;
}

TEST_F(SimPodCommands, ForeignStateFileIsNeitherReadNorReplaced) {
    const std::string original = ReadText(files.f2812);
    const CliRun run = RunTool({"--sim=" + files.f2812, "pod-write", files.f2812}, files.dir.path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("is not a simulated pod's store"), std::string::npos) << run.err;
    EXPECT_EQ(ReadText(files.f2812), original);
}

TEST_F(SimPodCommands, EmptyStateFileStartsAnEmptyPod) {
    { std::ofstream empty(files.state); }
    ASSERT_EQ(Run({"pod-write", files.f2812}).exitCode, 0);
    EXPECT_EQ(Run({"pod-verify", files.f2812}).exitCode, 0);
}

TEST(UsbBackend, WithoutAPodTheConnectFailureIsTheFinalLine) {
    if (!HardwareTestsAllowed()) GTEST_SKIP() << kHardwareTestsSkipped;
    CliFiles files;
    const CliRun run = RunTool({"reset"}, files.dir.path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.empty());
    EXPECT_TRUE(run.err == "No Connection to KVL47Q POD\n" || run.err == "Fail to load FTD2XX.DLL\n") << run.err;
}

}  // namespace
}  // namespace nembra::testing
