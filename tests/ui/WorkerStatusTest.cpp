// The status interface called from an operation's worker thread: each
// change is painted on the GUI thread before the call returns.
#include <gtest/gtest.h>

#include <QTest>
#include <mutex>

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

}  // namespace
}  // namespace nembra::testing
