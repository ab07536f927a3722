#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/ConsoleStatus.h"
#include "cli/ProgressLine.h"
#include "ops/OpsClock.h"
#include "sim/VirtualClock.h"
#include "status/PhaseProgress.h"

namespace nembra::cli {
namespace {

class ConsoleStatusTest : public ::testing::Test {
protected:
    VirtualClock clock{1000};
    LinkOpsClock opsClock{clock};
    std::ostringstream out;
};

TEST_F(ConsoleStatusTest, DrawsNothingOffATerminal) {
    ConsoleStatus status(out, false, opsClock, 80);
    status.ShowMessage("Starting SCI Boot...", false);
    status.SetRange(0, 10);
    for (int i = 0; i < 10; ++i) status.StepIt();
    status.ShowMessage("Fail to erase flash memory", true);
    status.Finish();
    EXPECT_TRUE(out.str().empty());
}

TEST_F(ConsoleStatusTest, RedrawsOnlyWhenTheLineChanges) {
    ConsoleStatus status(out, true, opsClock, 80);
    status.ShowMessage("Writing Flash Memory...", false);
    status.SetRange(0, 100000);
    status.SetStep(1);
    status.SetPos(0);
    const int before = status.redraws();
    for (int i = 0; i < 100000; ++i) status.StepIt();  // the clock stands still
    // One redraw per filled cell or percent, never one per word.
    EXPECT_LE(status.redraws() - before, 100 + kBarCells);
    EXPECT_GE(status.redraws() - before, 24);
    EXPECT_NE(out.str().find("100%"), std::string::npos);
    const int settled = status.redraws();
    status.SetPos(100000);
    EXPECT_EQ(status.redraws(), settled);
    clock.Advance(1500);
    status.StepIt();
    EXPECT_EQ(status.redraws(), settled + 1);
    EXPECT_NE(out.str().find("1.5 s"), std::string::npos);
    status.Finish();
    EXPECT_TRUE(out.str().ends_with("\r\033[K"));
}

// The terminal's bar follows a phase told as events: it fills as the words
// are counted, redraws per cell or percent, and is empty again at the end.
TEST_F(ConsoleStatusTest, FollowsProgressEvents) {
    ConsoleStatus status(out, true, opsClock, 80);
    status.ShowMessage("Writing Flash Memory...", false);
    PhaseProgress progress(status);
    progress.Start(Step::FlashWrite, 200);
    for (int i = 0; i < 50; ++i) progress.Advance();
    EXPECT_NE(out.str().find("[######..................]  25%"), std::string::npos);
    for (int i = 50; i < 200; ++i) progress.Advance();
    EXPECT_NE(out.str().find("[########################] 100%"), std::string::npos);
    EXPECT_LE(status.redraws(), 1 + 100 + kBarCells);
    status.Progress(ProgressEvent{});
    const std::string shown = out.str();
    const std::string lastLine = shown.substr(shown.rfind('\r'));
    EXPECT_NE(lastLine.find("[........................]   0%"), std::string::npos) << lastLine;
}

// With a stream for the events, each phase's opening, each whole percent and
// the end become one JSON Lines record; off a terminal nothing else is written.
TEST_F(ConsoleStatusTest, StreamsProgressEventsAsJsonLines) {
    std::ostringstream records;
    ConsoleStatus status(out, false, opsClock, 80);
    status.StreamProgress(&records);
    PhaseProgress progress(status);
    progress.Start(Step::Erase, 3);
    for (int i = 0; i < 3; ++i) progress.Advance();
    progress.Start(Step::FlashWrite, 1000);
    for (int i = 0; i < 1000; ++i) progress.Advance();
    status.Progress(ProgressEvent{});
    std::vector<std::string> lines;
    std::istringstream in(records.str());
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 1u + 3 + 1 + 100 + 1);
    EXPECT_EQ(lines[0], R"({"progress":"erase","done":0,"total":3})");
    EXPECT_EQ(lines[3], R"({"progress":"erase","done":3,"total":3})");
    EXPECT_EQ(lines[4], R"({"progress":"flash-write","done":0,"total":1000})");
    EXPECT_EQ(lines[5], R"({"progress":"flash-write","done":10,"total":1000})");
    EXPECT_EQ(lines[104], R"({"progress":"flash-write","done":1000,"total":1000})");
    EXPECT_EQ(lines[105], R"({"progress":"none","done":0,"total":0})");
    EXPECT_TRUE(out.str().empty());
}

TEST(ProgressLine, ShowsBarPercentAndElapsedTime) {
    ProgressModel model;
    model.SetPixelWidth(kBarCells);
    model.SetRange(0, 200);
    model.SetPos(50);
    const ProgressState state = MakeProgressState("Erasing Flash Memory...", model, 12345);
    EXPECT_EQ(FormatProgressLine(state, 120), "Erasing Flash Memory... [######..................]  25%  12.3 s");
}

TEST(ProgressLine, NeverWiderThanTheTerminal) {
    ProgressModel model;
    model.SetPixelWidth(kBarCells);
    model.SetRange(0, 10);
    model.SetPos(30);  // beyond the range: the bar stays full
    const ProgressState state = MakeProgressState(std::string(200, 'x'), model, std::nullopt);
    const std::string line = FormatProgressLine(state, 60);
    EXPECT_LT(line.size(), 60u);
    EXPECT_NE(line.find("[########################] 100%"), std::string::npos);
}

TEST(ProgressLine, UndrawableRangeShowsTextAndTimeOnly) {
    ProgressModel model;
    model.SetPixelWidth(kBarCells);
    model.SetRange(5, 5);
    const ProgressState state = MakeProgressState("Starting SCI Boot...", model, 800);
    EXPECT_EQ(FormatProgressLine(state, 80), "Starting SCI Boot...  0.8 s");
}

}  // namespace
}  // namespace nembra::cli
