#include <gtest/gtest.h>

#include "cli/CliParser.h"
#include "cli/JobFromOptions.h"

namespace nembra::cli {
namespace {

Job JobOf(const std::vector<std::string>& arguments) {
    std::vector<std::string> args{"nembra-cli"};
    args.insert(args.end(), arguments.begin(), arguments.end());
    const ParseResult parsed = ParseCommandLine(args, "/tmp/unused.store");
    EXPECT_EQ(parsed.status, ParseStatus::Run) << parsed.text;
    return JobFromOptions(parsed.options);
}

TEST(JobFromOptions, EachPodCommandAsksForItsOperation) {
    EXPECT_EQ(JobOf({"--sim", "write", "p.out"}).command, JobCommand::TargetWrite);
    EXPECT_EQ(JobOf({"--sim", "reset"}).command, JobCommand::TargetReset);
    EXPECT_EQ(JobOf({"--sim", "info"}).command, JobCommand::PodInfo);
    EXPECT_EQ(JobOf({"--sim", "pod-write", "p.out"}).command, JobCommand::PodWrite);
    EXPECT_EQ(JobOf({"--sim", "pod-verify", "p.out"}).command, JobCommand::PodVerify);
    EXPECT_EQ(JobOf({"inspect", "p.out"}).command, JobCommand::Load);
}

TEST(JobFromOptions, TheWriteOptionsBecomeTheJobsChoices) {
    const Job job =
        JobOf({"--sim", "--device", "f2811", "write", "dir/p.out", "--erase-all", "--unlock", "1234,,ab,0,0,0,0,FFFF"});
    EXPECT_EQ(job.device, 3);
    EXPECT_EQ(job.filePath, "dir/p.out");
    EXPECT_TRUE(job.eraseAll);
    EXPECT_TRUE(job.unlockCsm);
    EXPECT_EQ(job.keys, (CsmKeyTable{0x1234, 0xFFFF, 0x00AB, 0, 0, 0, 0, 0xFFFF}));
    EXPECT_FALSE(job.verify);
}

TEST(JobFromOptions, WithoutUnlockNoKeyIsCarriedAndTheEraseIsIntelligent) {
    const Job job = JobOf({"--sim", "--device", "f2812", "write", "p.out"});
    EXPECT_FALSE(job.unlockCsm);
    EXPECT_FALSE(job.eraseAll);
    EXPECT_EQ(job.keys, kNoPassword);
}

TEST(JobFromOptions, PodWriteCarriesTheNameAndTheVerify) {
    const Job named = JobOf({"--sim", "pod-write", "p.out", "--name", "BOARD1", "--verify"});
    EXPECT_EQ(named.podFileName, "BOARD1");
    EXPECT_TRUE(named.verify);
    const Job unnamed = JobOf({"--sim", "pod-write", "p.out"});
    EXPECT_TRUE(unnamed.podFileName.empty()) << "an empty name stands for the file's own";
    EXPECT_FALSE(unnamed.verify);
}

TEST(JobFromOptions, TheDefaultDeviceIsTheWindowsDefault) {
    EXPECT_EQ(JobOf({"--sim", "write", "p.out"}).device, kDefaultDeviceType);
}

}  // namespace
}  // namespace nembra::cli
