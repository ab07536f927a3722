#include "status/ProgressModel.h"

#include <gtest/gtest.h>

namespace nembra {
namespace {

TEST(ProgressModel, SetPosReturnsPreviousAndNeverClamps) {
    ProgressModel bar;
    bar.SetPixelWidth(200);
    bar.SetRange(0, 100);
    EXPECT_EQ(bar.SetPos(25).previous, 0);
    EXPECT_EQ(bar.BarWidth(), 50);
    EXPECT_EQ(bar.Percent(), 25);
    EXPECT_EQ(bar.SetPos(150).previous, 25);
    EXPECT_EQ(bar.pos(), 150);
    EXPECT_EQ(bar.BarWidth(), 300);
    EXPECT_EQ(bar.Percent(), 150);
}

TEST(ProgressModel, RepaintsOnlyWhenPixelWidthChanges) {
    ProgressModel bar;
    bar.SetPixelWidth(300);
    bar.SetRange(0, 10000);
    bar.SetStep(1);
    int repaints = bar.SetPos(0).repaintDue ? 1 : 0;
    for (int i = 0; i < 10000; ++i)
        if (bar.StepIt().repaintDue) ++repaints;
    EXPECT_LE(repaints, 301);
    EXPECT_GE(repaints, 300);
    EXPECT_EQ(bar.pos(), 10000);
}

TEST(ProgressModel, SizeChangeForcesNextRepaint) {
    ProgressModel bar;
    bar.SetPixelWidth(100);
    EXPECT_TRUE(bar.SetPos(10).repaintDue);
    EXPECT_FALSE(bar.SetPos(10).repaintDue);
    bar.ForceRepaint();
    EXPECT_TRUE(bar.SetPos(10).repaintDue);
}

TEST(ProgressModel, EmptyRangeDrawsNothing) {
    ProgressModel bar;
    bar.SetPixelWidth(100);
    bar.SetRange(5, 5);
    bar.SetPos(3);
    EXPECT_FALSE(bar.Drawable());
    EXPECT_EQ(bar.BarWidth(), 0);
}

TEST(ProgressModel, StepItWrapsInsteadOfOverflowing) {
    ProgressModel bar;
    bar.SetPos(INT32_MAX);
    bar.StepIt();
    EXPECT_EQ(bar.pos(), INT32_MIN);
}

}  // namespace
}  // namespace nembra
