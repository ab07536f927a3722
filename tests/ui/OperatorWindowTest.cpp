#include <gmock/gmock.h>

#include <QDropEvent>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>
#include <fstream>

#include "tests/ui/StationFixture.h"

namespace nembra::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

using OperatorWindowTest = StationFixture;

TEST_F(OperatorWindowTest, TheJobIsShownAsItWasSavedWithOneTilePerPod) {
    Open(WriteJob());
    ASSERT_TRUE(AwaitTiles(4));
    EXPECT_THAT(window->TileSerials(), ElementsAre("SIM00001", "SIM00002", "SIM00003", "SIM00004"));
    const JobSummaryView& s = window->summary();
    EXPECT_EQ(s.Field("Job"), "line 2");
    EXPECT_EQ(s.Field("Device"), "f2812");
    EXPECT_EQ(s.Field("Program"), "prog.out");
    EXPECT_EQ(s.Field("SHA-256"), QString::fromStdString(station::FileSha256(dir.path() + "/prog.out").substr(0, 12)));
    EXPECT_THAT(s.Field("CRC-32").toStdString(), ::testing::MatchesRegex("[0-9A-F]{8}"));
    EXPECT_THAT(s.Field("Erase").toStdString(), StartsWith("intelligent (sector"));
    EXPECT_EQ(s.Field("CSM keys"), "not used");
    ASSERT_TRUE(Await([&s] { return s.Field("Numbers left") == "1000"; }));
    EXPECT_EQ(s.Field("Next serial number"), "1000");
    EXPECT_EQ(StateOf("SIM00001"), "WAITING");
    EXPECT_FALSE(window->MessageIsError()) << window->Message().toStdString();
}

TEST_F(OperatorWindowTest, StartRunsEveryWaitingPodAndTheCountersAndStoreAgree) {
    Arm("refused:O:2@SIM00003");
    Open(WriteJob());
    ASSERT_TRUE(AwaitTiles(4));
    window->startButton()->click();
    ASSERT_TRUE(AwaitResults());
    EXPECT_EQ(StateOf("SIM00001"), "PASS");
    EXPECT_EQ(StateOf("SIM00003"), "FAIL");
    EXPECT_THAT(DetailOf("SIM00003"), StartsWith("Erasing the flash: the pod refused the command"));
    EXPECT_EQ(window->counters().SessionText(), "passed 3, failed 1, total 4");
    const station::RecordCounts stored = StoreCounts();
    EXPECT_EQ(stored.passed, 3u);
    EXPECT_EQ(stored.failed, 1u);
    EXPECT_EQ(window->counters().StoreText(), "passed 3, failed 1, total 4");
    // Each board its own number, each passing board its number kept.
    const LastBoardsView& last = window->lastBoards();
    ASSERT_EQ(last.rowCount(), 4);
    std::set<QString> numbers;
    for (int row = 0; row < 4; ++row) numbers.insert(last.Cell(row, 0));
    EXPECT_EQ(numbers, (std::set<QString>{"1000", "1001", "1002", "1003"}));
    // The failed board's number went back and is the next one given.
    EXPECT_EQ(window->summary().Field("Numbers left"), "997");
    for (int row = 0; row < 4; ++row) {
        if (last.Cell(row, 1) != "SIM00003") continue;
        EXPECT_THAT(last.Cell(row, 2).toStdString(), StartsWith("FAIL: Erasing the flash"));
        EXPECT_EQ(window->summary().Field("Next serial number"), last.Cell(row, 0));
    }
    // A second Start programs the next boards: the failed pod's board passes now.
    window->startButton()->click();
    ASSERT_TRUE(AwaitResults());
    EXPECT_EQ(StateOf("SIM00003"), "PASS");
    EXPECT_EQ(window->counters().SessionText(), "passed 7, failed 1, total 8");
    EXPECT_EQ(StoreCounts().total, 8u);
}

TEST_F(OperatorWindowTest, ATileStartsItsPodAlone) {
    Open(WriteJob());
    ASSERT_TRUE(AwaitTiles(4));
    window->Tile("SIM00002")->startButton()->click();
    ASSERT_TRUE(Await([this] { return StateOf("SIM00002") == "PASS"; }));
    EXPECT_EQ(StateOf("SIM00001"), "WAITING");
    EXPECT_EQ(StoreCounts().total, 1u);
    EXPECT_EQ(station.SimPodOf("SIM00001")->TargetWordsWritten().size(), 0u);
}

// Each refusal is on the screen, and no pod was touched: no board was
// written, no number taken, no row stored.
class OperatorRefusals : public StationFixture {
protected:
    void StartAndAwaitRefusal() {
        ASSERT_TRUE(AwaitTiles(4));
        window->startButton()->click();
        ASSERT_TRUE(Await([this] { return !window->Running() && window->MessageIsError(); }))
            << window->Message().toStdString();
        for (const std::string& serial : window->TileSerials()) {
            EXPECT_EQ(StateOf(serial), "WAITING") << serial;
            EXPECT_EQ(station.SimPodOf(serial)->TargetWordsWritten().size(), 0u) << serial;
        }
    }
};

TEST_F(OperatorRefusals, AProgramChangedSinceTheJobWasMade) {
    const std::string job = WriteJob();
    Open(job);
    WriteProgram(8);  // rebuilt after the job was made
    StartAndAwaitRefusal();
    EXPECT_THAT(window->Message().toStdString(), HasSubstr("SHA-256"));
    EXPECT_EQ(StoreCounts().total, 0u);
}

TEST_F(OperatorRefusals, AStoreThatCannotBeReached) {
    JobText text;
    text.store = "prog.out/line.sqlite";  // under a file: no folder can be made
    Open(WriteJob(text));
    StartAndAwaitRefusal();
    EXPECT_THAT(window->Message().toStdString(), StartsWith("No pod was touched: the record store"));
    EXPECT_THAT(window->Message().toStdString(), HasSubstr("cannot be reached"));
    EXPECT_THAT(window->counters().StoreText().toStdString(), HasSubstr("the store did not answer"));
}

TEST_F(OperatorRefusals, APlanWithoutNumbersForEveryBoard) {
    JobText text;
    text.lastSerial = 1001;
    Open(WriteJob(text));
    StartAndAwaitRefusal();
    EXPECT_EQ(window->Message().toStdString(),
              "No pod was touched: job \"line 2\" has only 2 serial number(s) left for 4 board(s); its plan ends at "
              "1001");
    EXPECT_EQ(StoreCounts().total, 0u);
}

TEST_F(OperatorWindowTest, PodsComeAndGoWithoutARestart) {
    Open(WriteJob());
    ASSERT_TRUE(AwaitTiles(4));
    const std::string added = station.AddPod();
    ASSERT_TRUE(AwaitTiles(5));
    EXPECT_EQ(StateOf(added), "WAITING");
    ASSERT_TRUE(station.RemovePod("SIM00002"));
    ASSERT_TRUE(Await([this] { return window->Tile("SIM00002") == nullptr; }));
    EXPECT_EQ(window->TileSerials().size(), 4u);
}

TEST_F(OperatorWindowTest, AJobThatNamesItsPodsShowsAMissingOneUnplugged) {
    JobText text;
    text.pods = "[\"SIM00001\", \"SIM00004\", \"SIM00009\"]";
    Open(WriteJob(text));
    ASSERT_TRUE(Await([this] {
        return StateOf("SIM00001") == "WAITING" && StateOf("SIM00004") == "WAITING" &&
               StateOf("SIM00009") == "UNPLUGGED";
    }));
    EXPECT_THAT(window->TileSerials(), ElementsAre("SIM00001", "SIM00004", "SIM00009"));
    ASSERT_TRUE(station.RemovePod("SIM00004"));
    ASSERT_TRUE(Await([this] { return StateOf("SIM00004") == "UNPLUGGED"; }));
    // Start leaves the unplugged pods alone.
    window->startButton()->click();
    ASSERT_TRUE(Await([this] { return StateOf("SIM00001") == "PASS"; }));
    EXPECT_EQ(StateOf("SIM00004"), "UNPLUGGED");
    EXPECT_EQ(StoreCounts().total, 1u);
}

// The engineer's window holds a pod: the station leaves it alone, says who
// holds it, and takes it once it is free.
TEST_F(OperatorWindowTest, APodAnotherProgramHoldsIsNotStarted) {
    station::PodClaims engineer(claimDir.path(), "nembra");
    std::string refusal;
    ASSERT_TRUE(engineer.Claim("SIM00002", refusal));
    Open(WriteJob());
    ASSERT_TRUE(AwaitTiles(4));
    window->startButton()->click();
    ASSERT_TRUE(Await([this] { return !window->Running() && StateOf("SIM00001") == "PASS"; }));
    EXPECT_EQ(StateOf("SIM00002"), "IN USE");
    EXPECT_THAT(DetailOf("SIM00002"),
                ::testing::MatchesRegex("the pod SIM00002 is in use by nembra \\(process [0-9]+\\)"));
    EXPECT_EQ(station.SimPodOf("SIM00002")->TargetWordsWritten().size(), 0u);
    // While the station runs a pod it holds it; afterwards it lets go.
    EXPECT_TRUE(engineer.Claim("SIM00001", refusal)) << refusal;
    engineer.Release("SIM00001");
    engineer.Release("SIM00002");
    window->Tile("SIM00002")->startButton()->click();
    ASSERT_TRUE(Await([this] { return StateOf("SIM00002") == "PASS"; }));
}

TEST_F(OperatorWindowTest, SpaceAndEnterStartThePods) {
    Open(WriteJob());
    ASSERT_TRUE(AwaitTiles(4));
    window->activateWindow();
    QTest::keyClick(window.get(), Qt::Key_Space);
    ASSERT_TRUE(AwaitResults());
    EXPECT_EQ(window->counters().SessionText(), "passed 4, failed 0, total 4");
    QTest::keyClick(window.get(), Qt::Key_Return);
    ASSERT_TRUE(AwaitResults());
    EXPECT_EQ(window->counters().SessionText(), "passed 8, failed 0, total 8");
}

}  // namespace
}  // namespace nembra::testing

namespace nembra::testing {
namespace {

// A job file dropped on the window opens it in place of the one shown.
TEST_F(OperatorWindowTest, AJobFileDroppedOnTheWindowOpensIt) {
    Open(WriteJob());
    ASSERT_TRUE(AwaitTiles(4));
    const std::string other = dir.path() + "/other.toml";
    {
        std::ifstream in(dir.path() + "/line.toml");
        std::ofstream out(other);
        std::string line;
        while (std::getline(in, line)) out << (line.rfind("name = ", 0) == 0 ? "name = \"line 3\"" : line) << "\n";
    }
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(other))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &drop);
    EXPECT_EQ(window->summary().Field("Job"), "line 3");
    ASSERT_TRUE(AwaitTiles(4));
}

}  // namespace
}  // namespace nembra::testing
