#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "cli/OutputPaths.h"
#include "tests/support/CoffBuilder.h"

namespace nembra::cli {
namespace {

class OutputPaths : public ::testing::Test {
protected:
    OutputPaths() {
        std::ofstream(Path("app.out")) << "program";
        options.command = Command::Write;
        options.file = Path("app.out");
        options.sim = true;
        options.simStatePath = Path("pod.store");
    }
    std::string Path(const std::string& name) const { return dir.path() + "/" + name; }

    // The reason a collision is refused; empty when none is.
    std::string Collision(const std::vector<std::string>& serials = {}) const {
        std::string error;
        const bool collides = OutputsCollide(options, serials, error);
        EXPECT_EQ(collides, !error.empty());
        return collides ? error : "";
    }

    testing::TempDir dir;
    CliOptions options;
};

TEST_F(OutputPaths, DistinctFilesPass) {
    options.tracePath = Path("t.trace");
    options.simTargetHexPath = Path("target.hex");
    options.logPath = Path("boards.jsonl");
    EXPECT_EQ(Collision(), "");
    EXPECT_EQ(Collision({"SIM00001", "SIM00002"}), "");
}

TEST_F(OutputPaths, AnOutputOnWhatTheCommandReadsIsRefused) {
    options.command = Command::Export;
    options.outputPath = Path("app.out");
    EXPECT_EQ(Collision(), "-o " + Path("app.out") + " is the same file as FILE");
    options.outputPath.clear();
    options.tracePath = Path("pod.store");
    EXPECT_EQ(Collision(), "--trace " + Path("pod.store") + " is the same file as --sim");
}

TEST_F(OutputPaths, TwoOutputsOnOneFileAreRefused) {
    options.tracePath = Path("out.txt");
    options.logPath = Path("out.txt");
    EXPECT_EQ(Collision(), "--log " + Path("out.txt") + " is the same file as --trace");
}

TEST_F(OutputPaths, AnotherSpellingOrALinkIsTheSameFile) {
    std::filesystem::create_directories(Path("sub"));
    options.simTargetHexPath = Path("sub/../app.out");
    EXPECT_EQ(Collision(), "--sim-target-hex " + Path("sub/../app.out") + " is the same file as FILE");
    std::filesystem::create_symlink(Path("app.out"), Path("link.out"));
    options.simTargetHexPath = Path("link.out");
    EXPECT_EQ(Collision(), "--sim-target-hex " + Path("link.out") + " is the same file as FILE");
    // Neither exists yet: the two names still meet.
    options.simTargetHexPath = Path("new.hex");
    options.logPath = Path("sub/../new.hex");
    EXPECT_EQ(Collision(), "--log " + Path("sub/../new.hex") + " is the same file as --sim-target-hex");
}

// With several pods each pod writes its own trace and target memory file,
// and each pod has its own store; every one of them is checked.
TEST_F(OutputPaths, EachPodsOwnFilesAreChecked) {
    options.simPods = 2;
    options.tracePath = Path("pod.store");
    EXPECT_EQ(Collision({"SIM00001", "SIM00002"}),
              "--trace " + Path("pod.SIM00001.store") + " is the same file as the store of SIM00001");
    options.tracePath = Path("t.trace");
    options.simTargetHexPath = Path("t.trace");
    EXPECT_EQ(Collision({"SIM00001", "SIM00002"}),
              "--sim-target-hex " + Path("t.SIM00001.trace") + " is the same file as --trace");
    // One pod writes the files as named.
    options.simTargetHexPath = Path("t.SIM00002.trace");
    EXPECT_EQ(Collision({"SIM00002"}), "");
}

}  // namespace
}  // namespace nembra::cli
