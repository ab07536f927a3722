#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "cli/GangConsole.h"

namespace nembra::cli {
namespace {

using ::testing::EndsWith;
using ::testing::HasSubstr;

// Each pod's status draws its own line, prefixed with its serial number,
// and the lines are wiped when the run ends.
TEST(GangConsole, OnATerminalEachPodDrawsItsOwnLine) {
    std::ostringstream terminal;
    const ConsoleEnvironment console{terminal, true, 80};
    StopRequest stop;
    SystemOpsClock clock;
    const auto pods = RunOnConsole(console, {"SIM00001", "SIM00002"}, stop, [&](const station::StatusFactory& status) {
        for (size_t pod = 0; pod < 2; ++pod) {
            std::unique_ptr<StatusSink> sink = status(pod, clock);
            EXPECT_NE(sink, nullptr);
            if (sink) sink->ShowMessage(pod == 0 ? "Erasing sector C" : "Connecting", false);
        }
        return std::vector<station::PodResult>(2);
    });
    EXPECT_EQ(pods.size(), 2u);
    EXPECT_THAT(terminal.str(), HasSubstr("SIM00001  Erasing sector C"));
    EXPECT_THAT(terminal.str(), HasSubstr("SIM00002  Connecting"));
    EXPECT_THAT(terminal.str(), EndsWith("\033[2A\r\033[J"));
}

TEST(GangConsole, ElsewhereNoPodReportsAndNothingIsDrawn) {
    std::ostringstream file;
    const ConsoleEnvironment console{file, false, 80};
    StopRequest stop;
    SystemOpsClock clock;
    RunOnConsole(console, {"SIM00001"}, stop, [&](const station::StatusFactory& status) {
        EXPECT_EQ(status(0, clock), nullptr);
        return std::vector<station::PodResult>(1);
    });
    EXPECT_EQ(file.str(), "");
}

}  // namespace
}  // namespace nembra::cli
