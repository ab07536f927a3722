#include <gmock/gmock.h>

#include <QGuiApplication>
#include <QPushButton>
#include <future>

#include "tests/ui/StationFixture.h"
#include "tests/ui/XcbPing.h"

namespace nembra::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;
using namespace std::chrono_literals;

// Paced simulated pods take their time for real, so that the window can be
// watched, pinged and stopped while they run. ctest runs this once more on
// a virtual X server (OperatorDoneWhenOnXvfb), where the ping is a real
// _NET_WM_PING.
class OperatorOnPacedPods : public StationFixture {
protected:
    OperatorOnPacedPods() : StationFixture(4, true) {}

    // The window answers the desktop while its pods run: over X where there
    // is one, else a queued call to its thread.
    void ExpectTheWindowAnswers() {
        if (QGuiApplication::platformName() == QStringLiteral("xcb")) {
            const auto xWindow = static_cast<uint32_t>(window->winId());
            auto ping = std::async(std::launch::async, [xWindow] { return PingOverX(xWindow, 5s); });
            ASSERT_TRUE(Await([&ping] { return ping.wait_for(0s) == std::future_status::ready; }));
            EXPECT_TRUE(ping.get().has_value()) << "_NET_WM_PING unanswered while the pods run";
            return;
        }
        bool answered = false;
        QMetaObject::invokeMethod(
            window.get(), [&answered] { answered = true; }, Qt::QueuedConnection);
        EXPECT_TRUE(Await([&answered] { return answered; }));
    }
};

TEST_F(OperatorOnPacedPods, FourPodsOneFailingAPodPluggedInMidRunAndStop) {
    Arm("refused:O:2@SIM00003");
    Open(WriteJob());
    ASSERT_TRUE(AwaitTiles(4));
    window->startButton()->click();
    ASSERT_TRUE(Await([this] { return StateOf("SIM00001") == "RUNNING"; }));
    ExpectTheWindowAnswers();
    ASSERT_TRUE(AwaitResults());

    // Three passes and one fail with its step and cause in plain words.
    for (const char* serial : {"SIM00001", "SIM00002", "SIM00004"}) EXPECT_EQ(StateOf(serial), "PASS") << serial;
    EXPECT_EQ(StateOf("SIM00003"), "FAIL");
    EXPECT_THAT(DetailOf("SIM00003"), StartsWith("Erasing the flash: the pod refused the command (sector "));
    EXPECT_THAT(DetailOf("SIM00003"), HasSubstr("Fail to erase flash memory"));
    // The counters and the store agree.
    const station::RecordCounts stored = StoreCounts();
    EXPECT_EQ(stored.passed, 3u);
    EXPECT_EQ(stored.failed, 1u);
    EXPECT_EQ(window->counters().SessionText(), "passed 3, failed 1, total 4");
    EXPECT_EQ(window->counters().StoreText(), CountsText(stored));

    // A pod held in a long erase; a pod plugged in meanwhile appears.
    Arm("slow:O:2:600000@SIM00001");
    window->Tile("SIM00001")->startButton()->click();
    ASSERT_TRUE(Await([this] { return StateOf("SIM00001") == "RUNNING"; }));
    const std::string added = station.AddPod();
    ASSERT_TRUE(Await([this, &added] { return window->Tile(added) != nullptr; }));
    EXPECT_EQ(StateOf(added), "WAITING");
    EXPECT_TRUE(window->Running());
    ExpectTheWindowAnswers();
    // A close would cut the flash write off halfway: refused, with the way out.
    EXPECT_FALSE(window->close());
    EXPECT_EQ(window->Message().toStdString(), "Boards are being programmed: press Stop, then close the window");

    // Stop ends the run at its next step and names the board left unfinished.
    window->stopButton()->click();
    ASSERT_TRUE(Await([this] { return !window->Running(); }));
    EXPECT_EQ(window->Message().toStdString(), "Stopped: the board on SIM00001 was left unfinished");
    EXPECT_TRUE(window->MessageIsError());
    EXPECT_EQ(StateOf("SIM00001"), "FAIL");
    EXPECT_THAT(DetailOf("SIM00001"), HasSubstr("stopped by the operator"));
    EXPECT_EQ(StoreCounts().total, 5u);
    EXPECT_EQ(window->counters().SessionText(), "passed 3, failed 2, total 5");
}

}  // namespace
}  // namespace nembra::testing
