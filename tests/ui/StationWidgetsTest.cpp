#include <gmock/gmock.h>

#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>

#include "ui/station/CounterView.h"
#include "ui/station/LastBoardsView.h"
#include "ui/station/PodTile.h"
#include "ui/station/TileStatus.h"

namespace nembra::testing {
namespace {

TEST(PodTile, EachStateShowsItsWordColourAndWhetherTheTileCanStart) {
    PodTile tile(QStringLiteral("SIM00002"));
    QSignalSpy started(&tile, &PodTile::startRequested);
    EXPECT_EQ(tile.stateText(), "WAITING");
    EXPECT_TRUE(tile.startButton()->isEnabled());
    tile.startButton()->click();
    ASSERT_EQ(started.count(), 1);
    EXPECT_EQ(started.front().front().toString(), "SIM00002");

    tile.ShowRunning(QStringLiteral("Writing the flash"), 50, 200);
    EXPECT_EQ(tile.stateText(), "RUNNING");
    EXPECT_EQ(tile.detailText(), "Writing the flash");
    EXPECT_EQ(tile.progress()->value(), 50);
    EXPECT_EQ(tile.progress()->maximum(), 200);
    EXPECT_FALSE(tile.startButton()->isEnabled());
    tile.ShowRunningLine(QStringLiteral("Reset target board"));
    EXPECT_EQ(tile.progress()->value(), 50) << "a line leaves the bar as it is";

    tile.ShowPassed(QStringLiteral("Flash Write Completed - 2.10 sec"));
    EXPECT_EQ(tile.stateText(), "PASS");
    EXPECT_EQ(tile.stateColor(), QColor(0x00, 0xA0, 0x00));
    EXPECT_TRUE(tile.startButton()->isEnabled()) << "the next board can be run";

    tile.ShowFailed(QStringLiteral("Erasing the flash: the pod refused the command (sector A)"),
                    QStringLiteral("Fail to erase flash memory"));
    EXPECT_EQ(tile.stateText(), "FAIL");
    EXPECT_EQ(tile.stateColor(), QColor(0xD0, 0x00, 0x00));
    EXPECT_EQ(tile.detailText(),
              "Erasing the flash: the pod refused the command (sector A)\nFail to erase flash memory");

    tile.ShowUnplugged();
    EXPECT_EQ(tile.stateText(), "UNPLUGGED");
    EXPECT_FALSE(tile.startButton()->isEnabled());
    tile.ShowHeld(QStringLiteral("the pod SIM00002 is in use by nembra (process 7)"));
    EXPECT_EQ(tile.stateText(), "IN USE");
    EXPECT_TRUE(tile.startButton()->isEnabled()) << "it may be free by the next start";
}

TEST(LastBoards, NewestFirstAndTheOldestDropOff) {
    LastBoardsView view;
    for (int i = 0; i < LastBoardsView::kRows + 5; ++i)
        view.Add({QString::number(1000 + i), QStringLiteral("SIM00001"), i % 2 == 0,
                  i % 2 == 0 ? QStringLiteral("PASS") : QStringLiteral("FAIL: x"), QStringLiteral("10:00:00")});
    EXPECT_EQ(view.rowCount(), LastBoardsView::kRows);
    EXPECT_EQ(view.Cell(0, 0), QString::number(1000 + LastBoardsView::kRows + 4));
    EXPECT_EQ(view.Cell(0, 2), "PASS");
    EXPECT_EQ(view.Cell(LastBoardsView::kRows - 1, 0), "1005");
}

TEST(Counters, TheStoreCountsStayWhenTheStoreDoesNotAnswer) {
    CounterView view;
    view.ShowSession({3, 1, 4});
    view.ShowStore({30, 2, 32});
    EXPECT_EQ(view.SessionText(), "passed 3, failed 1, total 4");
    EXPECT_EQ(view.StoreText(), "passed 30, failed 2, total 32");
    view.ShowStoreUnknown(QStringLiteral("no such file"));
    EXPECT_EQ(view.StoreText(), "passed 30, failed 2, total 32 (the store did not answer)");
}

// A pod steps its phase once per data word; only the steps that move the
// tile's bar by a pixel cross to the window's thread.
TEST(TileStatus, OnlyStepsThatMoveTheBarAreHandedOn) {
    std::vector<TileUpdate> posted;
    auto owned = std::make_unique<TileStatus>([&posted](const TileUpdate& update) { posted.push_back(update); }, 100);
    TileStatus& status = *owned;
    status.ShowMessage("Connection to KVL47Q POD is successful", false);
    status.ShowMessage("Fail to erase flash memory", true);  // the pod's outcome brings its final line
    status.Progress({Step::FlashWrite, 0, 10000});
    for (uint32_t done = 1; done <= 10000; ++done) status.Progress({Step::FlashWrite, done, 10000});
    status.Progress({Step::None, 0, 0});
    ASSERT_EQ(posted.size(), 1u + 1u + 100u);
    EXPECT_EQ(posted[0].text, "Connection to KVL47Q POD is successful");
    EXPECT_FALSE(posted[0].hasProgress);
    EXPECT_EQ(posted[1].text, "Writing the flash");
    EXPECT_EQ(posted[1].done, 0u);
    EXPECT_EQ(posted.back().done, 10000u);
    EXPECT_EQ(posted.back().total, 10000u);
    // Its lines never say whether the board passed: nothing is posted when the status goes.
    owned.reset();
    EXPECT_EQ(posted.size(), 102u);
    for (const TileUpdate& update : posted) EXPECT_FALSE(update.finished);
}

}  // namespace
}  // namespace nembra::testing
