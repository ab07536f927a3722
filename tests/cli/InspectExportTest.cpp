#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>

#include "CliFiles.h"
#include "CliProcess.h"

namespace nembra::testing {
namespace {

class FileCommands : public ::testing::Test {
protected:
    CliFiles files;
    CliRun Run(const std::vector<std::string>& args) { return RunTool(args, files.dir.path()); }
};

TEST_F(FileCommands, InspectShowsSectionsSummaryAndPlan) {
    const CliRun run = Run({"inspect", files.f2812});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(run.err.empty()) << run.err;
    for (const char* text :
         {".text", "ramfuncs", ".cinit", "0x3F6010", "POD file name:        app",
          "intelligent erase:  sectors 0x0005 (A, C)",
          "erase all:          sectors 0x03FF (A, B, C, D, E, F, G, H, I, J)", "words to flash:     341",
          "words to RAM:       0", "not written:        50 words", "POD Write:            accepted (2 of 70 sections"})
        EXPECT_NE(run.out.find(text), std::string::npos) << text << "\n" << run.out;
    EXPECT_TRUE(run.out.ends_with("Reading COFF file is successful\n")) << run.out;
}

TEST_F(FileCommands, InspectJsonHasTheImageShape) {
    const CliRun run = Run({"--json", "--device", "f2810", "inspect", files.f2812});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto json = nlohmann::json::parse(run.out);
    EXPECT_EQ(json["ok"], true);
    EXPECT_EQ(json["message"], "Reading COFF file is successful");
    EXPECT_EQ(json["file"], files.f2812);
    EXPECT_EQ(json["deviceType"], 2);
    EXPECT_EQ(json["podFileName"], "app");
    EXPECT_EQ(json["totalBytes"], 2 * (300 + 50 + 41));
    ASSERT_EQ(json["sections"].size(), 3u);
    const auto& text = json["sections"][0];
    EXPECT_EQ(text["name"], ".text");
    EXPECT_EQ(text["address"], 0x3F6010);
    EXPECT_EQ(text["wordCount"], 300);
    EXPECT_EQ(text["dataOffset"], 0);
    EXPECT_EQ(text["inFlash"], true);
    EXPECT_EQ(text["sectorMask"], 1);
    EXPECT_EQ(json["sections"][1]["inFlash"], false);
    EXPECT_EQ(json["sections"][2]["dataOffset"], 600);  // among the flash sections only
    const auto& summary = json["flashSummary"];
    EXPECT_EQ(summary["hasFlashSection"], true);
    EXPECT_EQ(summary["flashSectorMask"], 5);
    EXPECT_EQ(summary["flashSectionCount"], 2);
    EXPECT_EQ(summary["flashSectionEnd"], 3);
    EXPECT_EQ(summary["flashBytes"], 682);
    EXPECT_EQ(summary["nonFlashSectionCount"], 1);
    EXPECT_EQ(summary["nonFlashBytes"], 100);
    EXPECT_EQ(json["plan"]["eraseAllMask"], 0x1F);
    EXPECT_EQ(json["plan"]["podWriteAccepted"], true);
}

// A line checks a program by the digests its board records carry, so
// inspect gives the very same ones for both write commands.
TEST_F(FileCommands, InspectGivesTheDigestsTheBoardRecordsCarry) {
    const std::string log = files.Path("boards.jsonl");
    ASSERT_EQ(Run({"--sim=" + files.state, "--log", log, "write", files.f2812}).exitCode, 0);
    ASSERT_EQ(Run({"--sim=" + files.state, "--log", log, "pod-write", files.f2812}).exitCode, 0);
    const std::vector<nlohmann::json> records = ReadJsonLines(log);
    ASSERT_EQ(records.size(), 2u);

    const CliRun json = Run({"--json", "inspect", files.f2812});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    const auto image = nlohmann::json::parse(json.out);
    EXPECT_EQ(image["fileSha256"], records[0]["fileSha256"]);
    EXPECT_EQ(image["wordsCrc32"]["targetWrite"], records[0]["wordsCrc32"]);
    EXPECT_EQ(image["wordsCrc32"]["podWrite"], records[1]["wordsCrc32"]);

    const CliRun text = Run({"inspect", files.f2812});
    const std::string sha = records[0]["fileSha256"];
    EXPECT_NE(text.out.find("SHA-256:              " + sha + "\n"), std::string::npos) << text.out;
    const std::string crcs = "Words CRC-32:         Target Write " + records[0]["wordsCrc32"].get<std::string>() +
                             ", POD Write " + records[1]["wordsCrc32"].get<std::string>() + "\n";
    EXPECT_NE(text.out.find(crcs), std::string::npos) << text.out;
}

TEST_F(FileCommands, InspectLf240xHasNoFlashSummary) {
    const CliRun run = Run({"--json", "--device", "lf240xa-40", "inspect", files.lf240x});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto json = nlohmann::json::parse(run.out);
    EXPECT_TRUE(json["flashSummary"].is_null());
    EXPECT_EQ(json["deviceType"], 1);
    EXPECT_EQ(json["sections"][0]["sectorMask"], 0);
    EXPECT_EQ(json["plan"]["flashWords"], 205);
}

TEST_F(FileCommands, RamOnlyImageIsDownloadedAndRefusedByPodWrite) {
    const CliRun run = Run({"inspect", files.f2812Ram});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("words to RAM:       253"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("refused: There is no valid section for flash region"), std::string::npos);
}

TEST_F(FileCommands, ImageWithoutDataIsRefusedByBothWrites) {
    CoffFilePlan program;
    CoffSectionPlan bss;
    bss.name = ".ebss";
    bss.address = 0x8000;
    bss.sizeWords = 0x100;
    bss.withRawData = false;
    program.sections = {bss};
    const std::string path = files.dir.Write("empty.out", BuildCoff(program));
    const CliRun run = Run({"--json", "inspect", path});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto json = nlohmann::json::parse(run.out);
    EXPECT_TRUE(json["sections"].empty());
    EXPECT_EQ(json["plan"]["targetWriteAccepted"], false);
    EXPECT_EQ(json["plan"]["podWriteRefusal"], "The selected COFF file don't have valid section data");
}

TEST_F(FileCommands, LoadFailuresExitOneWithTheLoadMessage) {
    CliRun run = Run({"inspect", files.Path("missing.out")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.empty());
    EXPECT_EQ(run.err, "The specified COFF file isn't exist\n");

    run = Run({"--device", "lf240xa-30", "inspect", files.f2812});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "The specified file is not match with MCU\n");

    run = Run({"--json", "export", files.Path("missing.out"), "-o", files.Path("x.hex")});
    EXPECT_EQ(run.exitCode, 1);
    const auto json = nlohmann::json::parse(run.out);
    EXPECT_EQ(json["ok"], false);
    EXPECT_EQ(json["message"], "The specified COFF file isn't exist");
    EXPECT_FALSE(std::filesystem::exists(files.Path("x.hex")));
}

TEST_F(FileCommands, HexAndElfFilesAreToldByTheirContent) {
    const std::string hex = files.Path("app.hex");
    ASSERT_EQ(Run({"export", files.f2812, "-o", hex}).exitCode, 0);
    const CliRun fromOut = Run({"--json", "inspect", files.f2812});
    const CliRun fromHex = Run({"--json", "inspect", hex});
    ASSERT_EQ(fromHex.exitCode, 0) << fromHex.err;
    const auto out = nlohmann::json::parse(fromOut.out);
    const auto in = nlohmann::json::parse(fromHex.out);
    EXPECT_EQ(in["totalBytes"], out["totalBytes"]);
    EXPECT_EQ(in["flashSummary"]["flashSectorMask"], out["flashSummary"]["flashSectorMask"]);
    EXPECT_EQ(in["plan"], out["plan"]);

    std::ofstream(files.Path("broken.hex")) << ":02000004003FBB\n:04000000761F0266FE\n:00000001FF\n";
    CliRun run = Run({"inspect", files.Path("broken.hex")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "The specified HEX file has a checksum error (line 2)\n");

    std::ofstream(files.Path("app.elf.out"), std::ios::binary) << "\x7F"
                                                                  "ELF"
                                                               << std::string(60, '\x01');
    run = Run({"inspect", files.Path("app.elf.out")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "The specified ELF file is not an executable program\n");
}

TEST_F(FileCommands, ExportWritesEveryKeptWord) {
    const std::string hex = files.Path("app.hex");
    const CliRun run = Run({"export", files.f2812, "-o", hex});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "Intel HEX written to " + hex + " (391 words)\n");
    WordMap words;
    std::string error;
    ASSERT_TRUE(ReadIntelHex(ReadText(hex), words, error)) << error;
    WordMap expected = F2812FlashWords();
    expected.merge(F2812RamWords());
    EXPECT_EQ(words, expected);
}

TEST_F(FileCommands, ExportToAnUnwritablePathFails) {
    const CliRun run = Run({"export", files.f2812, "-o", files.Path("no/such/dir/app.hex")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("Cannot create"), std::string::npos) << run.err;
}

class RealTiFiles : public FileCommands {
protected:
    void SetUp() override {
        dir = TestDataDir();
        if (dir.empty()) GTEST_SKIP() << "TI test files not found under " << NEMBRA_TESTDATA_DIR << "/ti-coff";
    }
    std::string dir;
};

TEST_F(RealTiFiles, InspectReadsEachFile) {
    for (const char* name : {"Example_281xSci_FFDLB_int.out", "TB3CM_DSP_Code.out", "TB3CM_DSP_Code_lowflash.out"}) {
        const CliRun run = Run({"--json", "inspect", dir + "/" + name});
        ASSERT_EQ(run.exitCode, 0) << name << run.err;
        const auto json = nlohmann::json::parse(run.out);
        EXPECT_FALSE(json["sections"].empty()) << name;
        EXPECT_EQ(json["flashSummary"]["hasFlashSection"], true) << name;
        EXPECT_EQ(json["plan"]["podWriteAccepted"], true) << name;
        uint32_t words = 0;
        for (const auto& section : json["sections"]) words += section["wordCount"].get<uint32_t>();
        EXPECT_EQ(json["totalBytes"].get<uint32_t>(), 2 * words) << name;
    }
}

TEST_F(RealTiFiles, ExportMatchesTheHexConvertersOutput) {
    for (const char* stem : {"Example_281xSci_FFDLB_int", "TB3CM_DSP_Code"}) {
        const std::string hex = files.Path(std::string(stem) + ".hex");
        const CliRun run = Run({"export", dir + "/" + stem + ".out", "-o", hex});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        WordMap ours;
        WordMap theirs;
        std::string error;
        ASSERT_TRUE(ReadIntelHex(ReadText(hex), ours, error)) << error;
        ASSERT_TRUE(ReadIntelHex(ReadText(dir + "/" + stem + ".hex"), theirs, error)) << error;
        EXPECT_EQ(ours.size(), theirs.size()) << stem;
        EXPECT_TRUE(ours == theirs) << stem;
    }
}

}  // namespace
}  // namespace nembra::testing
