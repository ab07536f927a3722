#include <gtest/gtest.h>

#include <QImage>
#include <QTest>
#include <memory>

#include "tests/ui/PaintCounter.h"
#include "ui/WindowStatus.h"
#include "ui/controls/LabeledProgressCtrl.h"
#include "ui/controls/MessageStatic.h"

namespace nembra::testing {
namespace {

bool HasPixel(const QImage& image, QRgb colour) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF)) return true;
    return false;
}

class ProgressBarTest : public ::testing::Test {
protected:
    ProgressBarTest() {
        bar.resize(200, 20);
        bar.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&bar));
    }
    CLabeledProgressCtrl bar;
};

TEST_F(ProgressBarTest, DrawsTheDonePartAndItsPercentage) {
    bar.SetRange(0, 100);
    bar.SetPos(25);
    EXPECT_EQ(bar.BarEnd(), 50);
    EXPECT_EQ(bar.text(), "25%");
    const QImage image = bar.grab().toImage();
    EXPECT_EQ(image.pixel(2, 2) & 0xFFFFFF, bar.barColor().rgb() & 0xFFFFFF);
    EXPECT_EQ(image.pixel(190, 2) & 0xFFFFFF, bar.backColor().rgb() & 0xFFFFFF);
}

TEST_F(ProgressBarTest, APositionAboveTheRangeIsKeptAndFillsTheBar) {
    bar.SetRange(0, 100);
    bar.SetPos(150);
    EXPECT_EQ(bar.model().pos(), 150);
    EXPECT_EQ(bar.text(), "150%");
    const QImage image = bar.grab().toImage();
    EXPECT_EQ(image.pixel(198, 2) & 0xFFFFFF, bar.barColor().rgb() & 0xFFFFFF);
}

TEST_F(ProgressBarTest, RepaintsOnlyWhenThePixelWidthChanges) {
    bar.resize(300, 20);
    bar.SetRange(0, 10000);
    bar.SetStep(1);
    bar.SetPos(0);
    PaintCounter paints(&bar);
    for (int i = 0; i < 10000; ++i) bar.StepIt();
    EXPECT_GT(paints.count(), 0) << "progress must show while the thread is busy";
    EXPECT_LE(paints.count(), 300);
    EXPECT_EQ(bar.model().pos(), 10000);
}

TEST_F(ProgressBarTest, ASizeChangeForcesTheNextRepaint) {
    bar.SetRange(0, 100);
    bar.SetPos(50);
    PaintCounter paints(&bar);
    bar.SetPos(50);
    EXPECT_EQ(paints.count(), 0);
    bar.resize(201, 20);
    paints.Reset();
    bar.SetPos(50);
    EXPECT_EQ(paints.count(), 1);
}

TEST_F(ProgressBarTest, StepItReturnsThePreviousPosition) {
    bar.SetRange(0, 10);
    bar.SetPos(3);
    bar.SetStep(2);
    EXPECT_EQ(bar.StepIt(), 3);
    EXPECT_EQ(bar.SetPos(0), 5);
}

TEST_F(ProgressBarTest, ACaptionReplacesThePercentage) {
    bar.SetCaption("Erasing");
    EXPECT_EQ(bar.text(), "Erasing");
    bar.SetCaption("");
    bar.SetPos(10);
    EXPECT_EQ(bar.text(), "10%");
}

TEST(WindowStatus, ControlsThatAreGoneAreLeftAlone) {
    auto message = std::make_unique<CMessageStatic>("Message");
    auto bar = std::make_unique<CLabeledProgressCtrl>();
    WindowStatus status(message.get(), bar.get());
    EXPECT_EQ(status.SetPos(7), 0);
    bar.reset();
    message.reset();
    EXPECT_EQ(status.SetPos(9), -1);
    EXPECT_EQ(status.StepIt(), -1);
    status.ShowMessage("after", false);
    status.SetRange(0, 5);
}

class MessageLineTest : public ::testing::Test {
protected:
    MessageLineTest() : line("Message"), status(&line, nullptr) {
        line.resize(300, 24);
        line.SetForeColor(kNormalTextColour, true);
        line.SetBackColor(kMessageBackColour, true);
        line.FixSize(true);
        line.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&line));
    }
    CMessageStatic line;
    WindowStatus status;
};

TEST_F(MessageLineTest, ShowsItsCaptionUntilTheFirstMessage) {
    line.grab();
    EXPECT_EQ(line.messageText(), "Message");
}

TEST_F(MessageLineTest, ErrorsAreRedAndInformationBlackOnGreen) {
    PaintCounter paints(&line);
    status.ShowMessage("Fail to reset target board", true);
    EXPECT_EQ(paints.count(), 1) << "painted inside the call";
    QImage image = line.grab().toImage();
    EXPECT_EQ(image.pixel(1, 1) & 0xFFFFFF, 0x00FF00u);
    EXPECT_TRUE(HasPixel(image, qRgb(255, 0, 0)));

    status.ShowMessage("Target board's reset is successful", false);
    image = line.grab().toImage();
    EXPECT_EQ(line.foreColor(), QColor(0, 0, 0)) << "the error colour does not stick";
    EXPECT_FALSE(HasPixel(image, qRgb(255, 0, 0)));
    EXPECT_TRUE(HasPixel(image, qRgb(0, 0, 0)));
    EXPECT_EQ(line.messageText(), "Target board's reset is successful");
}

TEST_F(MessageLineTest, TheDrawingRectangleStaysFrozen) {
    const QRect frozen = line.DrawingRect();
    line.resize(100, 10);
    EXPECT_EQ(line.DrawingRect(), frozen);
}

}  // namespace
}  // namespace nembra::testing
