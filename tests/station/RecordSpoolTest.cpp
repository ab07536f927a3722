#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "station/RecordSpool.h"
#include "tests/station/StoreEngines.h"

namespace nembra::station {
namespace {

using ::testing::HasSubstr;

BoardRow Board(const std::string& pod, std::optional<uint64_t> serial = std::nullopt) {
    BoardRow row;
    row.time = "2026-12-07T10:00:00Z";
    row.host = row.station = "bench-2";
    row.tool = "nembra-cli 1.5";
    row.command = "write";
    row.device = "f2812";
    row.podSerial = pod;
    row.result = 0;
    row.message = "Flash Write Completed - 1.00 sec";
    row.job = "line 2";
    row.operatorName = "ana";
    row.boardSerial = serial;
    return row;
}

TEST(RecordSpoolTest, RowsWaitInAPrivateFileUntilTheStoreTakesThem) {
    testing::TempDir dir;
    RecordSpool spool(RecordSpool::PathFor(dir.path() + "/line2.toml"));
    EXPECT_EQ(spool.path(), dir.path() + "/line2.toml.spool.jsonl");
    std::string error;
    ASSERT_TRUE(spool.Append(Board("FT01"), error)) << error;
    ASSERT_TRUE(spool.Append(Board("FT02"), error)) << error;
    struct stat info {};
    ASSERT_EQ(stat(spool.path().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    // A line that is not a row is kept for a person to look at.
    std::ofstream(spool.path(), std::ios::app) << "{\"time\": \"2026-12-07T1\n";
    ASSERT_TRUE(spool.Append(Board("FT03"), error)) << error;
    EXPECT_EQ(spool.Pending(), 4u);

    StoreStatus status;
    auto store = OpenRecordStore(dir.path() + "/line2.sqlite", status);
    ASSERT_TRUE(store) << status.message;
    const RecordSpool::Replay replay = spool.ReplayInto(*store, error);
    EXPECT_TRUE(error.empty()) << error;
    EXPECT_EQ(replay.written, 3u);
    EXPECT_EQ(replay.kept, 1u);
    EXPECT_EQ(spool.Pending(), 1u);
    std::vector<BoardRow> rows;
    ASSERT_TRUE(store->List({}, rows).ok());
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[2].podSerial, "FT03");
    BoardRow expected = Board("FT01");
    EXPECT_EQ(rows[0].recordId.size(), 32u);
    expected.recordId = rows[0].recordId;
    EXPECT_EQ(RowToJson(rows[0]), RowToJson(expected));
}

// The process died after the store took a row and before the spool let it
// go: the replay that follows stores it once.
TEST(RecordSpoolTest, ARowReplayedTwiceIsStoredOnce) {
    testing::TempDir dir;
    StoreStatus status;
    auto store = OpenRecordStore(dir.path() + "/line2.sqlite", status);
    ASSERT_TRUE(store) << status.message;
    BoardRow row = Board("FT01");
    row.recordId = NewRecordId();
    EXPECT_NE(row.recordId, NewRecordId());
    ASSERT_TRUE(store->Record(row).ok());
    RecordSpool spool(dir.path() + "/line2.toml.spool.jsonl");
    std::string error;
    ASSERT_TRUE(spool.Append(row, error)) << error;
    EXPECT_EQ(spool.ReplayInto(*store, error).written, 1u);
    RecordCounts counts;
    ASSERT_TRUE(store->Count({}, counts).ok());
    EXPECT_EQ(counts.total, 1u);
}

TEST(RecordSpoolTest, AMissingSpoolIsEmpty) {
    testing::TempDir dir;
    RecordSpool spool(dir.path() + "/none.jsonl");
    StoreStatus status;
    auto store = OpenRecordStore(dir.path() + "/s.sqlite", status);
    std::string error;
    const RecordSpool::Replay replay = spool.ReplayInto(*store, error);
    EXPECT_EQ(replay.written + replay.kept, 0u);
    EXPECT_EQ(spool.Pending(), 0u);
}

// The server stops between two boards: the second board's row goes to the
// spool, and reaches the store, its number kept for good, once the server
// is back.
TEST(RecordSpoolPostgresTest, ARowWrittenWhileTheServerIsDownIsReplayedLater) {
    if (testing::PgServer::BinaryFolder().empty())
        GTEST_SKIP() << "PostgreSQL's server binaries are not installed (Debian's postgresql package)";
    testing::PgServer server;
    std::string error;
    ASSERT_TRUE(server.Start(error)) << error;
    StoreStatus status;
    auto store = OpenRecordStore(server.url(), status);
    ASSERT_TRUE(store) << status.message;
    SerialPlan plan;
    plan.first = 1;
    plan.last = 10;
    uint64_t first = 0, second = 0;
    ASSERT_TRUE(store->TakeSerial("line 2", plan, "FT01", first).ok());
    ASSERT_TRUE(store->TakeSerial("line 2", plan, "FT02", second).ok());
    ASSERT_TRUE(store->Record(Board("FT01", first)).ok());

    ASSERT_TRUE(server.Stop());
    testing::TempDir dir;
    RecordSpool spool(RecordSpool::PathFor(dir.path() + "/line2.toml"));
    const StoreStatus down = store->Record(Board("FT02", second));
    EXPECT_EQ(down.code, StoreCode::Unreachable);
    EXPECT_THAT(down.message, HasSubstr("could not store the board's record"));
    ASSERT_TRUE(spool.Append(Board("FT02", second), error)) << error;
    RecordSpool::Replay replay = spool.ReplayInto(*store, error);
    EXPECT_EQ(replay.status.code, StoreCode::Unreachable);
    EXPECT_EQ(replay.kept, 1u);

    ASSERT_TRUE(server.Restart());
    replay = spool.ReplayInto(*store, error);
    EXPECT_TRUE(replay.status.ok()) << replay.status.message;
    EXPECT_EQ(replay.written, 1u);
    EXPECT_EQ(spool.Pending(), 0u);
    std::vector<BoardRow> rows;
    ASSERT_TRUE(store->List({}, rows).ok());
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].boardSerial, second);
    // Both numbers are kept for good: the next one is new.
    uint64_t third = 0;
    ASSERT_TRUE(store->TakeSerial("line 2", plan, "FT03", third).ok());
    EXPECT_EQ(third, 3u);
}

}  // namespace
}  // namespace nembra::station
