// The status interface called from an operation's worker thread: each
// change is painted on the GUI thread before the call returns.
#include <gtest/gtest.h>

#include <QTest>
#include <mutex>

#include "status/PhaseProgress.h"
#include "tests/ui/PaintCounter.h"
#include "ui/OperationRunner.h"
#include "ui/WindowStatus.h"
#include "ui/WorkerStatus.h"

namespace nembra::testing {
namespace {

class WorkerStatusTest : public ::testing::Test {
protected:
    WorkerStatusTest() : message("Message"), window(&message, &bar) {
        message.resize(300, 24);
        message.move(0, 0);
        bar.resize(300, 20);
        bar.move(0, 40);
        message.show();
        bar.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&message));
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&bar));
    }
    CMessageStatic message;
    CLabeledProgressCtrl bar;
    WindowStatus window;
    std::mutex mutex;
};

TEST_F(WorkerStatusTest, AMessageIsPaintedBeforeTheCallReturns) {
    QString painted;
    PaintCounter paints(&message, [&] {
        std::lock_guard<std::mutex> lock(mutex);
        painted = message.messageText();
    });
    QString seenAfterCall;
    RunOperation(message, [&] {
        WorkerStatus status(window, ProgressModel{});
        status.ShowMessage("Erasing Flash Memory...", false);
        std::lock_guard<std::mutex> lock(mutex);
        seenAfterCall = painted;
    });
    EXPECT_EQ(seenAfterCall, "Erasing Flash Memory...");
}

// Every step that moves the bar's edge is on the screen when StepIt
// returns; the others cost no thread switch and no paint.
TEST_F(WorkerStatusTest, EveryStepThatMovesTheBarIsPaintedWithinTheCall) {
    int paintedEnd = -1;
    PaintCounter paints(&bar, [&] {
        std::lock_guard<std::mutex> lock(mutex);
        paintedEnd = bar.BarEnd();
    });
    const ProgressModel start = bar.model();
    int late = 0;
    int wrongReturns = 0;
    RunOperation(message, [&] {
        WorkerStatus status(window, start);
        status.SetRange(0, 10000);
        status.SetStep(1);
        status.SetPos(0);
        for (int32_t n = 0; n < 10000; ++n) {
            if (status.StepIt() != n) ++wrongReturns;
            const int expected = static_cast<int>(static_cast<double>(n + 1) / 10000 * 300);
            std::lock_guard<std::mutex> lock(mutex);
            if (paintedEnd != expected) ++late;
        }
    });
    EXPECT_EQ(late, 0);
    EXPECT_EQ(wrongReturns, 0);
    EXPECT_LE(paints.count(), 301);
    EXPECT_EQ(bar.model().pos(), 10000);
    EXPECT_EQ(bar.model().upper(), 10000);
}

TEST_F(WorkerStatusTest, SetPosReachesTheBarEvenWhenItsWidthStaysTheSame) {
    RunOperation(message, [&] {
        WorkerStatus status(window, bar.model());
        status.SetRange(0, 100000);
        status.SetPos(3);
        EXPECT_EQ(status.SetPos(0), 3);
        status.StepIt();
    });
    EXPECT_EQ(bar.model().pos(), 0) << "a step within the first pixel is not sent";
    EXPECT_EQ(bar.model().upper(), 100000);
}

// Passes every call on to the window and counts the position calls, each of
// which is a switch to the GUI thread.
class CrossingCounter : public StatusSink {
public:
    explicit CrossingCounter(StatusSink& window) : window_(window) {}
    void ShowMessage(const std::string& text, bool isError) override { window_.ShowMessage(text, isError); }
    void SetRange(int32_t lower, int32_t upper) override { window_.SetRange(lower, upper); }
    void SetStep(int32_t step) override { window_.SetStep(step); }
    int32_t SetPos(int32_t pos) override {
        ++crossings;
        return window_.SetPos(pos);
    }
    int32_t StepIt() override {
        ++crossings;
        return window_.StepIt();
    }
    int crossings = 0;

private:
    StatusSink& window_;
};

// A phase told as events moves the bar as the steps always did: only an
// event that moves the bar's edge by a pixel reaches the GUI thread, and it
// is painted before the event returns. The end puts the bar back to 0 and
// keeps the phase's range.
TEST_F(WorkerStatusTest, ProgressEventsKeepThePixelRule) {
    int paintedEnd = -1;
    PaintCounter paints(&bar, [&] {
        std::lock_guard<std::mutex> lock(mutex);
        paintedEnd = bar.BarEnd();
    });
    const ProgressModel start = bar.model();
    CrossingCounter counted(window);
    int late = 0;
    RunOperation(message, [&] {
        WorkerStatus status(counted, start);
        PhaseProgress progress(status);
        progress.Start(Step::FlashWrite, 10000);
        for (int32_t n = 0; n < 10000; ++n) {
            progress.Advance();
            const int expected = static_cast<int>(static_cast<double>(n + 1) / 10000 * 300);
            std::lock_guard<std::mutex> lock(mutex);
            if (paintedEnd != expected) ++late;
        }
        status.Progress(ProgressEvent{});
    });
    EXPECT_EQ(late, 0);
    EXPECT_LE(paints.count(), 302);
    // The opening's SetPos(0), one per pixel, and the end's SetPos(0).
    EXPECT_EQ(counted.crossings, 1 + 300 + 1);
    EXPECT_EQ(bar.model().pos(), 0);
    EXPECT_EQ(bar.model().upper(), 10000);
}

}  // namespace
}  // namespace nembra::testing
