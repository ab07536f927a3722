#include <gtest/gtest.h>

#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include "ui/Resources.h"
#include "ui/controls/ButtonLayout.h"
#include "ui/controls/OXBitmapButton.h"

namespace nembra::testing {
namespace {

TEST(ButtonLayout, ImageLeftOfTheCaptionBothCentredVertically) {
    const ButtonLayout layout = ComputeButtonLayout({100, 40}, {16, 16}, {50, 12}, false);
    EXPECT_EQ(layout.image, QRect(5, 12, 16, 16));     // (40 - 26) / 2 + 5
    EXPECT_EQ(layout.caption, QRect(26, 14, 50, 12));  // (40 - 24) / 2 + 6
}

TEST(ButtonLayout, PressedMovesBothTwoPixelsRightAndDown) {
    const ButtonLayout up = ComputeButtonLayout({100, 40}, {16, 16}, {50, 12}, false);
    const ButtonLayout down = ComputeButtonLayout({100, 40}, {16, 16}, {50, 12}, true);
    EXPECT_EQ(down.image, up.image.translated(2, 2));
    EXPECT_EQ(down.caption, up.caption.translated(2, 2));
}

TEST(ButtonLayout, ANarrowButtonKeepsTheCaptionAndNarrowsOrDropsTheImage) {
    // 70 - (50 + 7) = 13 left for the image box: 3 pixels of image.
    ButtonLayout layout = ComputeButtonLayout({70, 40}, {16, 16}, {50, 12}, false);
    EXPECT_EQ(layout.image.width(), 3);
    EXPECT_EQ(layout.caption.width(), 50);
    layout = ComputeButtonLayout({40, 40}, {16, 16}, {50, 12}, false);
    EXPECT_TRUE(layout.image.isNull());
    EXPECT_EQ(layout.caption.width(), 33);  // W - 7
}

TEST(ButtonLayout, ALowButtonCutsImageAndCaptionHeights) {
    const ButtonLayout layout = ComputeButtonLayout({100, 20}, {16, 16}, {50, 12}, false);
    EXPECT_EQ(layout.image.height(), 10);
    EXPECT_EQ(layout.caption.height(), 8);
}

class BitmapButtonTest : public ::testing::Test {
protected:
    BitmapButtonTest() : button("Load\nsecond line") {
        InitNembraResources();
        button.resize(120, 40);
        // A bitmap with a white pixel at its corner and black elsewhere.
        QImage bitmap(16, 16, QImage::Format_RGB32);
        bitmap.fill(Qt::black);
        bitmap.setPixel(0, 0, qRgb(255, 255, 255));
        path = dir.filePath("b.png");
        bitmap.save(path);
    }
    QTemporaryDir dir;
    QString path;
    COXBitmapButton button;
};

TEST_F(BitmapButtonTest, WhiteIsTransparentInTheNormalAndDisabledImage) {
    ASSERT_TRUE(button.LoadButtonBitmap(path, false, Qt::white));
    const QImage normal = button.normalImage().toImage();
    const QImage disabled = button.disabledImage().toImage();
    EXPECT_EQ(qAlpha(normal.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(disabled.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(normal.pixel(5, 5)), 255);
    EXPECT_NE(disabled.pixel(5, 5), normal.pixel(5, 5)) << "the disabled image is embossed grey";
    EXPECT_EQ(button.size(), QSize(120, 40)) << "not resized to its content";
}

TEST_F(BitmapButtonTest, ShowsOnlyTheCaptionBeforeTheFirstLineFeed) { EXPECT_EQ(button.Caption(), "Load"); }

TEST_F(BitmapButtonTest, TheImageMovesWhilePressed) {
    ASSERT_TRUE(button.LoadButtonBitmap(path, false, Qt::white));
    button.show();
    const QImage up = button.grab().toImage();
    button.setDown(true);
    const QImage down = button.grab().toImage();
    // The bitmap's black body starts at (5, 12) up and at (7, 14) pressed.
    EXPECT_EQ(up.pixel(6, 13) & 0xFFFFFF, 0u);
    EXPECT_EQ(down.pixel(8, 15) & 0xFFFFFF, 0u);
    EXPECT_NE(down.pixel(6, 13) & 0xFFFFFF, 0u);
}

TEST_F(BitmapButtonTest, ADisabledButtonIgnoresClicks) {
    ASSERT_TRUE(button.LoadButtonBitmap(path, false, Qt::white));
    button.show();
    int clicks = 0;
    QObject::connect(&button, &QPushButton::clicked, [&clicks] { ++clicks; });
    button.setEnabled(false);
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(clicks, 0);
    button.setEnabled(true);
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
}

TEST_F(BitmapButtonTest, AMissingBitmapLeavesTheButtonWithoutImage) {
    EXPECT_FALSE(button.LoadButtonBitmap(dir.filePath("none.png"), false, Qt::white));
    EXPECT_TRUE(button.normalImage().isNull());
    button.show();
    EXPECT_FALSE(button.grab().isNull());
}

TEST(ProgramBitmaps, EveryButtonBitmapIsSixteenBySixteen) {
    InitNembraResources();
    for (int id = IDB_LOAD; id <= IDB_EXIT; ++id) {
        const QImage image(ResourcePath(id));
        EXPECT_EQ(image.size(), QSize(16, 16)) << id;
    }
    EXPECT_FALSE(ProgramIcon().isNull());
}

}  // namespace
}  // namespace nembra::testing
