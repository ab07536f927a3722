// Taking and keeping a serial number for each board, with the board's row:
// the transactions every run of a job with serial numbers costs its station
// (the gang's numbers at once, then each board's row as its pod ends), for
// one board and for a gang of 16, on an SQLite file and on a PostgreSQL
// server over a Unix socket (both durable: every commit synced). "per_board"
// should stay within 5 ms; a single board pays two synced commits, so there
// it is bound by the disk's sync time.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>

#include "station/RecordStore.h"
#include "tests/support/PgServer.h"

namespace nembra {
namespace {

using station::BoardRow;
using station::OpenRecordStore;
using station::RecordStore;
using station::SerialPlan;
using station::StoreStatus;

BoardRow Passed() {
    BoardRow row;
    row.time = station::UtcTimeText();
    row.host = row.station = station::StationName();
    row.tool = "nembra-cli";
    row.command = "write";
    row.device = "f2812";
    row.fileSha256 = std::string(64, 'a');
    row.podSerial = "SIM00001";
    row.result = 0;
    row.message = "Flash Write Completed - 1.00 sec";
    row.job = "bench";
    row.operatorName = station::OperatorName();
    return row;
}

// One iteration is one run of `boards` pods: their numbers taken at once,
// then each board's row (and its number kept) on its own.
void TakeAndKeep(benchmark::State& state, RecordStore& store, int boards) {
    SerialPlan plan;
    plan.words = 4;
    plan.first = 1;
    plan.last = 1ull << 40;
    const std::vector<std::string> pods(static_cast<size_t>(boards), "SIM00001");
    std::vector<BoardRow> rows(static_cast<size_t>(boards), Passed());
    for (auto _ : state) {
        std::vector<uint64_t> numbers;
        if (!store.TakeSerials("bench", plan, pods, numbers).ok()) {
            state.SkipWithError("the store gave no number");
            return;
        }
        for (size_t i = 0; i < rows.size(); ++i) {
            rows[i].boardSerial = numbers[i];
            if (!store.RecordAll({rows[i]}).ok()) {
                state.SkipWithError("the store did not take the row");
                return;
            }
        }
    }
    state.counters["per_board"] = benchmark::Counter(static_cast<double>(state.iterations()) * boards,
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_SerialPerBoardSqlite(benchmark::State& state) {
    std::string pattern = (std::filesystem::temp_directory_path() / "nembra-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        state.SkipWithError("no temporary folder");
        return;
    }
    {
        StoreStatus status;
        auto store = OpenRecordStore(pattern + "/records.sqlite", status);
        if (!store)
            state.SkipWithError(status.message.c_str());
        else
            TakeAndKeep(state, *store, static_cast<int>(state.range(0)));
    }
    std::error_code ec;
    std::filesystem::remove_all(pattern, ec);
}
BENCHMARK(BM_SerialPerBoardSqlite)->Arg(1)->Arg(16)->Unit(benchmark::kMillisecond)->UseRealTime();

// Arguments: the boards of a run; 1: the server syncs each commit (its
// default), 0: fsync off, which shows what the station and the socket cost
// without the disk.
void BM_SerialPerBoardPostgres(benchmark::State& state) {
    testing::PgServer server;
    std::string error;
    if (!server.Start(error, state.range(1) != 0)) {
        state.SkipWithError(error.c_str());
        return;
    }
    StoreStatus status;
    auto store = OpenRecordStore(server.url(), status);
    if (!store)
        state.SkipWithError(status.message.c_str());
    else
        TakeAndKeep(state, *store, static_cast<int>(state.range(0)));
}
BENCHMARK(BM_SerialPerBoardPostgres)
    ->Args({1, 1})
    ->Args({16, 1})
    ->Args({1, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace nembra
