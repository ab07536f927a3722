// A program that breaks the device's rules is refused at load by every
// command, before the pod is touched.
#include <gtest/gtest.h>

#include <filesystem>

#include "CliFiles.h"
#include "CliProcess.h"

namespace nembra::testing {
namespace {

class ImageRulesCli : public ::testing::Test {
protected:
    CliFiles files;
    std::string overlapping;
    std::string beyondLf240xA;
    const std::string overlapMessage =
        "The specified file has overlapping sections: .text (0x3F4000-0x3F40FF) and .cinit (0x3F4080-0x3F409F) at "
        "0x3F4080\n";

    void SetUp() override {
        CoffFilePlan overlap;
        overlap.sections = {Section(".text", 0x3F4000, Pattern(0x100)), Section(".cinit", 0x3F4080, Pattern(0x20))};
        overlapping = files.dir.Write("overlap.out", BuildCoff(overlap));
        CoffFilePlan lf;
        lf.targetId = 0x0092;
        lf.sections = {Section(".text", 0x10000, Pattern(4))};
        beyondLf240xA = files.dir.Write("beyond.out", BuildCoff(lf));
    }
    CliRun Run(const std::vector<std::string>& args) { return RunTool(args, files.dir.path()); }
    static CoffSectionPlan Section(const std::string& name, uint32_t address, std::vector<uint16_t> words) {
        CoffSectionPlan section;
        section.name = name;
        section.address = address;
        section.words = std::move(words);
        return section;
    }
    // The command failed with the message and left no trace of a frame sent.
    void ExpectRefusedBeforeThePod(const CliRun& run, const std::string& message, const std::string& trace) {
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.out.empty()) << run.out;
        EXPECT_EQ(run.err, message);
        if (!trace.empty()) {
            EXPECT_EQ(ReadText(trace).find("> "), std::string::npos);
        }
        EXPECT_FALSE(std::filesystem::exists(files.state));
    }
};

TEST_F(ImageRulesCli, InspectExportAndEveryPodCommandRefuseOverlaps) {
    ExpectRefusedBeforeThePod(Run({"inspect", overlapping}), overlapMessage, "");
    const std::string hex = files.Path("x.hex");
    ExpectRefusedBeforeThePod(Run({"export", overlapping, "-o", hex}), overlapMessage, "");
    EXPECT_FALSE(std::filesystem::exists(hex));
    for (const char* command : {"write", "pod-write"}) {
        const std::string trace = files.Path(std::string(command) + ".trace");
        ExpectRefusedBeforeThePod(Run({"--sim=" + files.state, "--trace", trace, command, overlapping}), overlapMessage,
                                  trace);
    }
}

TEST_F(ImageRulesCli, Lf240xaWordsAboveSixteenBitsAreRefusedAtLoad) {
    const std::string message =
        "The specified file has a section outside LF240xA memory: .text (0x010000-0x010003) at 0x010000\n";
    ExpectRefusedBeforeThePod(Run({"--device", "lf240xa-40", "inspect", beyondLf240xA}), message, "");
    const std::string trace = files.Path("pod-write.trace");
    ExpectRefusedBeforeThePod(
        Run({"--device", "lf240xa-40", "--sim=" + files.state, "--trace", trace, "pod-write", beyondLf240xA}), message,
        trace);
}

}  // namespace
}  // namespace nembra::testing
