#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

#include "image/IntelHex.h"
#include "station/FileDigest.h"
#include "station/JobRun.h"
#include "station/RecordStore.h"
#include "station/SimStation.h"
#include "tests/support/CoffBuilder.h"
#include "tests/support/PgServer.h"

namespace nembra::station {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

// A job on three simulated pods: an F2812 program in sector C, its serial
// number (two words, low word first) at 0x3F4000 in sector B, outside it.
class StationJobRun : public ::testing::Test {
protected:
    StationJobRun() {
        testing::CoffSectionPlan text;
        text.name = "text";
        text.address = 0x3F0000;
        text.words = testing::Pattern(64, 5);
        testing::CoffFilePlan coff;
        coff.sections = {text};
        program = dir.Write("app.out", testing::BuildCoff(coff));
        job.name = "line 4";
        job.device = 4;
        job.program = "app.out";
        job.programSha256 = FileSha256(program);
        job.serial = SerialPlan{0x3F4000, 2, SerialEncoding::BinaryLowFirst, 1000, 1, 9999};
        job.store = "line4.sqlite";
    }

    void WriteJob() const { std::ofstream(jobPath) << JobToToml(job); }

    // Plans, opens the store and takes a number for each pod, with each
    // pod's target memory kept as Intel HEX.
    bool Prepare(JobRun& run, const std::vector<std::string>& serials, JobRefusal& refusal, std::string& note) {
        return run.Plan({}, dir.path() + "/board.hex", refusal) && run.OpenStore(refusal, note) &&
               run.TakeBoards(serials, refusal);
    }

    std::string PodHex(const std::string& serial) const { return dir.path() + "/board." + serial + ".hex"; }

    // The number a pod's target holds at 0x3F4000; none when nothing was written.
    std::optional<uint64_t> TargetSerial(const std::string& serial) const {
        std::ifstream in(PodHex(serial));
        if (!in) return std::nullopt;
        std::stringstream text;
        text << in.rdbuf();
        WordMap words;
        std::string error;
        if (!ReadIntelHex(text.str(), words, error)) return std::nullopt;
        return words[0x3F4000] | (static_cast<uint64_t>(words[0x3F4001]) << 16);
    }

    bool AnyPodTouched() const {
        for (int pod = 1; pod <= 3; ++pod)
            if (std::filesystem::exists(PodHex(SimPodSerial(pod)))) return true;
        return false;
    }

    std::vector<BoardRow> Rows(const std::string& location) const {
        StoreStatus status;
        auto store = OpenRecordStore(location, status);
        std::vector<BoardRow> rows;
        if (store != nullptr) store->List({}, rows);
        return rows;
    }

    testing::TempDir dir;
    std::string program;
    std::string jobPath = dir.path() + "/line4.toml";
    std::string sqlite = dir.path() + "/line4.sqlite";
    Job job;
    SimStation station{dir.path() + "/pod.store", 3, false, SimChip::Typical};
    StopRequest stop;
};

TEST_F(StationJobRun, EachPodWritesItsOwnNumberAndEachBoardItsRow) {
    WriteJob();
    JobRun run(jobPath, "nembra 9.9");
    JobRefusal refusal;
    std::string note;
    const std::vector<std::string> serials{"SIM00002", "SIM00001", "SIM00003"};
    ASSERT_TRUE(Prepare(run, serials, refusal, note)) << refusal.message;
    EXPECT_EQ(note, "");
    EXPECT_EQ(run.BoardSerial(0), 1000u);
    EXPECT_EQ(run.BoardSerial(2), 1002u);
    EXPECT_FALSE(run.BoardSerial(3));
    // Each pod has an image of its own; the plan's own stays as loaded.
    EXPECT_NE(run.image(0), run.image(1));
    EXPECT_EQ(run.image(3), nullptr);

    std::vector<PodResult> pods = run.Run(station, stop, nullptr);
    ASSERT_EQ(pods.size(), 3u);
    for (const PodResult& pod : pods) EXPECT_TRUE(pod.outcome.ok) << pod.serial << ": " << pod.outcome.message;
    EXPECT_EQ(run.Record(pods, nullptr), "");
    for (size_t i = 0; i < serials.size(); ++i) {
        EXPECT_EQ(TargetSerial(serials[i]), 1000u + i) << serials[i];
        EXPECT_EQ(pods[i].outcome.data["boardSerial"], 1000u + i);
    }
    const std::vector<BoardRow> rows = Rows(sqlite);
    ASSERT_EQ(rows.size(), 3u);
    for (const BoardRow& row : rows) {
        const size_t i = static_cast<size_t>(std::find(serials.begin(), serials.end(), row.podSerial.value_or("")) -
                                             serials.begin());
        ASSERT_LT(i, serials.size()) << row.podSerial.value_or("none");
        EXPECT_EQ(row.boardSerial, 1000u + i);
        EXPECT_EQ(row.job, "line 4");
        EXPECT_EQ(row.tool, "nembra 9.9");
        EXPECT_EQ(row.command, "write");
        EXPECT_EQ(row.result, 0);
        EXPECT_EQ(row.message, pods[i].outcome.message);
        EXPECT_FALSE(row.recordId.empty());
    }
}

// A board that passed keeps its record whatever becomes of the pods still
// working (a power cut, a crash): its row is in the store, where any other
// connection reads it, before the run goes on to tell that the pod ended.
TEST_F(StationJobRun, EachBoardsRowIsStoredTheMomentItsPodEnds) {
    WriteJob();
    station.SimPodOf("SIM00003")->ArmFault({SimFault::Kind::PulledOut, 'O', 1});
    JobRun run(jobPath, "nembra 9.9");
    JobRefusal refusal;
    std::string note;
    ASSERT_TRUE(Prepare(run, {"SIM00001", "SIM00002", "SIM00003"}, refusal, note)) << refusal.message;
    std::mutex seen;
    std::map<std::string, int> storedAtEnd;  // the pod's row, as the store had it when the pod was told ended
    const PodDone done = [&](size_t, const PodResult& pod) {
        for (const BoardRow& row : Rows(sqlite))
            if (row.podSerial == pod.serial) {
                const std::lock_guard<std::mutex> lock(seen);
                storedAtEnd[pod.serial] = row.result;
            }
    };
    std::vector<PodResult> pods = run.Run(station, stop, nullptr, done);
    EXPECT_EQ(storedAtEnd, (std::map<std::string, int>{{"SIM00001", 0}, {"SIM00002", 0}, {"SIM00003", 1}}));
    EXPECT_EQ(run.Record(pods, nullptr), "");
    EXPECT_EQ(Rows(sqlite).size(), 3u);  // each row once
    // The failed board's number went back with its row and is the next one given.
    JobRun next(jobPath, "nembra 9.9");
    ASSERT_TRUE(Prepare(next, {"SIM00001"}, refusal, note)) << refusal.message;
    EXPECT_EQ(next.BoardSerial(0), 1002u);
}

TEST_F(StationJobRun, AFailedBoardsNumberIsGivenToTheNextBoard) {
    WriteJob();
    station.SimPodOf("SIM00002")->ArmFault({SimFault::Kind::PulledOut, 'O', 1});
    {
        JobRun run(jobPath, "nembra 9.9");
        JobRefusal refusal;
        std::string note;
        ASSERT_TRUE(Prepare(run, {"SIM00001", "SIM00002"}, refusal, note)) << refusal.message;
        std::vector<PodResult> pods = run.Run(station, stop, nullptr);
        EXPECT_TRUE(pods[0].outcome.ok);
        EXPECT_FALSE(pods[1].outcome.ok);
        EXPECT_EQ(run.Record(pods, nullptr), "");
    }
    const std::vector<BoardRow> rows = Rows(sqlite);
    ASSERT_EQ(rows.size(), 2u);
    JobRun next(jobPath, "nembra 9.9");
    JobRefusal refusal;
    std::string note;
    ASSERT_TRUE(Prepare(next, {"SIM00003"}, refusal, note)) << refusal.message;
    EXPECT_EQ(next.BoardSerial(0), 1001u);
}

// The steps out of order: boards are never taken without a store, and a row
// with no store to go to waits in the spool rather than being lost.
TEST_F(StationJobRun, WithoutAnOpenStoreNoBoardIsTakenAndNoRowLost) {
    WriteJob();
    JobRun run(jobPath, "nembra 9.9");
    JobRefusal refusal;
    ASSERT_TRUE(run.Plan({}, {}, refusal)) << refusal.message;
    EXPECT_FALSE(run.TakeBoards({"SIM00001"}, refusal));
    EXPECT_EQ(refusal.message, "No pod was touched: the record store is not open");
    std::vector<PodResult> pods(1);
    pods[0].serial = "SIM00001";
    pods[0].outcome.ok = true;
    EXPECT_THAT(run.Record(pods, nullptr), HasSubstr("1 record(s) wait in the spool"));
    EXPECT_FALSE(pods[0].outcome.ok);
    EXPECT_EQ(RecordSpool(RecordSpool::PathFor(jobPath)).Pending(), 1u);
}

TEST_F(StationJobRun, AChangedProgramIsRefusedBeforeTheStoreOrAPod) {
    WriteJob();
    std::ofstream(program, std::ios::app) << "changed";
    JobRun run(jobPath, "nembra 9.9");
    JobRefusal refusal;
    std::string note;
    EXPECT_FALSE(run.Prepare({"SIM00001"}, refusal, note));
    EXPECT_THAT(refusal.message, HasSubstr(job.programSha256));
    EXPECT_THAT(refusal.message, HasSubstr(FileSha256(program)));
    EXPECT_FALSE(refusal.usage);
    EXPECT_FALSE(std::filesystem::exists(sqlite));
    EXPECT_EQ(run.store(), nullptr);
}

TEST_F(StationJobRun, AStoreThatCannotBeReachedTouchesNoPod) {
    job.store = "postgresql:///nembra?host=" + dir.path() + "/no-server&port=1";
    WriteJob();
    JobRun run(jobPath, "nembra 9.9");
    JobRefusal refusal;
    std::string note;
    EXPECT_FALSE(Prepare(run, {"SIM00001"}, refusal, note));
    EXPECT_THAT(refusal.message, HasSubstr("No pod was touched: the record store"));
    EXPECT_THAT(refusal.message, HasSubstr("cannot be reached"));
    EXPECT_FALSE(refusal.usage);
    EXPECT_TRUE(run.serials().empty());
}

TEST_F(StationJobRun, TooFewNumbersLeftTakeNoneAndTouchNoPod) {
    job.serial->last = 1001;
    WriteJob();
    {
        JobRun run(jobPath, "nembra 9.9");
        JobRefusal refusal;
        std::string note;
        EXPECT_FALSE(Prepare(run, {"SIM00001", "SIM00002", "SIM00003"}, refusal, note));
        EXPECT_THAT(refusal.message, HasSubstr("No pod was touched: "));
        EXPECT_FALSE(run.BoardSerial(0));
    }
    EXPECT_FALSE(AnyPodTouched());
    EXPECT_THAT(Rows(sqlite), IsEmpty());
    // Nothing stayed taken: two boards still get both numbers.
    JobRun two(jobPath, "nembra 9.9");
    JobRefusal refusal;
    std::string note;
    ASSERT_TRUE(Prepare(two, {"SIM00001", "SIM00002"}, refusal, note)) << refusal.message;
    EXPECT_EQ(two.BoardSerial(0), 1000u);
    EXPECT_EQ(two.BoardSerial(1), 1001u);
}

TEST_F(StationJobRun, AJobWithKeysRefusesATrace) {
    const std::string keys = dir.path() + "/keys.txt";
    std::ofstream(keys) << "1111 2222 3333 4444 5555 6666 7777 8888\n";
    std::filesystem::permissions(keys, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    job.csmKeysFile = "keys.txt";
    WriteJob();
    JobRun run(jobPath, "nembra 9.9");
    JobRefusal refusal;
    EXPECT_FALSE(run.Plan(dir.path() + "/t.trace", {}, refusal));
    EXPECT_TRUE(refusal.usage);
    EXPECT_THAT(refusal.message, HasSubstr("--trace is refused"));
    EXPECT_TRUE(run.Plan({}, {}, refusal)) << refusal.message;
}

TEST_F(StationJobRun, OnlyThePodsTheJobNamesAreChosen) {
    job.pods = {"SIM00003", "SIM00001"};
    std::vector<std::string> serials;
    std::string error;
    ASSERT_TRUE(SelectJobPods(job, station, "", serials, error)) << error;
    EXPECT_THAT(serials, ElementsAre("SIM00003", "SIM00001"));
    ASSERT_TRUE(SelectJobPods(job, station, "SIM00001", serials, error)) << error;
    EXPECT_THAT(serials, ElementsAre("SIM00001"));
    EXPECT_FALSE(SelectJobPods(job, station, "SIM00002", serials, error));
    EXPECT_EQ(error, "--pod: the job does not name the pod SIM00002");
    job.pods.clear();
    ASSERT_TRUE(SelectJobPods(job, station, "", serials, error)) << error;
    EXPECT_THAT(serials, ElementsAre("SIM00001", "SIM00002", "SIM00003"));
}

// The server goes away after the numbers are taken and before the pods end:
// each row waits in the spool, and the next run writes them.
TEST_F(StationJobRun, RowsTheStoreDoesNotTakeWaitInTheSpool) {
    if (testing::PgServer::BinaryFolder().empty())
        GTEST_SKIP() << "PostgreSQL's server binaries are not installed (Debian's postgresql package)";
    testing::PgServer server;
    std::string error;
    ASSERT_TRUE(server.Start(error)) << error;
    job.store = server.url();
    WriteJob();
    {
        JobRun run(jobPath, "nembra 9.9");
        JobRefusal refusal;
        std::string note;
        ASSERT_TRUE(Prepare(run, {"SIM00001", "SIM00002"}, refusal, note)) << refusal.message;
        ASSERT_TRUE(server.Stop());
        std::vector<PodResult> pods = run.Run(station, stop, nullptr);
        note = run.Record(pods, nullptr);
        EXPECT_THAT(note, HasSubstr("2 record(s) wait in the spool " + jobPath + ".spool.jsonl"));
        for (const PodResult& pod : pods) {
            EXPECT_FALSE(pod.outcome.ok);
            EXPECT_THAT(pod.outcome.followUp, HasSubstr("it waits in the spool"));
        }
    }
    EXPECT_EQ(RecordSpool(RecordSpool::PathFor(jobPath)).Pending(), 2u);
    ASSERT_TRUE(server.Restart());
    JobRun next(jobPath, "nembra 9.9");
    JobRefusal refusal;
    std::string note;
    ASSERT_TRUE(next.Plan({}, {}, refusal)) << refusal.message;
    ASSERT_TRUE(next.OpenStore(refusal, note)) << refusal.message;
    EXPECT_THAT(note, HasSubstr("2 record(s) from the spool"));
    EXPECT_EQ(RecordSpool(RecordSpool::PathFor(jobPath)).Pending(), 0u);
    const std::vector<BoardRow> rows = Rows(server.url());
    ASSERT_EQ(rows.size(), 2u);
    for (const BoardRow& row : rows) EXPECT_EQ(row.result, 0);
}

}  // namespace
}  // namespace nembra::station
