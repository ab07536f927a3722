// A production job on N paced simulated pods: its plan, one serial number
// per board taken in one SQLite transaction, each pod's own image with its
// number, the pods at once, and every board's row recorded, all through
// `nembra-cli run`. The pods take their modeled time for real, so the run's
// wall time beyond the slowest pod's modeled time is what the host adds; for
// 16 pods it should stay within 10 % of the modeled time of one pod.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "cli/CliMain.h"
#include "station/FileDigest.h"
#include "station/JobFile.h"
#include "tests/support/CoffBuilder.h"

namespace nembra {
namespace {

std::string MakeFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "nembra-jobbench-XXXXXX").string();
    return mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
}

// One section in flash sector C; the serial number (two words) lies in the
// same sector outside it, so it adds no sector to erase.
std::string WriteJob(const std::string& folder) {
    testing::CoffFilePlan coff;
    testing::CoffSectionPlan text;
    text.name = ".text";
    text.address = 0x3F0000;
    text.words = testing::Pattern(2048, 3);
    coff.sections = {text};
    const std::vector<uint8_t> bytes = testing::BuildCoff(coff);
    const std::string program = folder + "/bench.out";
    std::ofstream(program, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    station::Job job;
    job.name = "bench";
    job.device = 4;
    job.program = "bench.out";
    job.programSha256 = station::FileSha256(program);
    job.serial = station::SerialPlan{0x3F3F00, 2, station::SerialEncoding::BinaryLowFirst, 1, 1, 9999999};
    job.store = "bench.sqlite";
    const std::string path = folder + "/bench.toml";
    std::ofstream(path) << station::JobToToml(job);
    return path;
}

struct RunTimes {
    double wallMs = 0;
    double modeledMs = 0;  // the slowest pod's
    bool ok = false;
};

RunTimes TimeRun(const std::string& folder, const std::string& job, int pods) {
    const std::vector<std::string> args{"nembra-cli",  "--sim=" + folder + "/pod.store",
                                        "--sim-pods",  std::to_string(pods),
                                        "--sim-paced", "--json",
                                        "run",         job};
    std::ostringstream out;
    std::ostringstream err;
    cli::CliEnvironment environment;
    RunTimes times;
    const auto start = std::chrono::steady_clock::now();
    const cli::ExitStatus status = cli::RunCli(args, out, err, environment);
    times.wallMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    const auto json = nlohmann::json::parse(out.str(), nullptr, false);
    times.ok = status == cli::ExitStatus::Success && json.is_object();
    if (times.ok) times.modeledMs = json["summary"]["slowestMs"].get<double>();
    return times;
}

// Each iteration runs the job on one pod, then on N; the host's share is
// the wall time beyond the slowest pod's modeled time, as a part of it.
void BM_JobGangWrite(benchmark::State& state) {
    const int pods = static_cast<int>(state.range(0));
    const std::string folder = MakeFolder();
    const std::string job = WriteJob(folder);
    RunTimes single;
    RunTimes gang;
    double bestExcess = 1e9;
    for (auto _ : state) {
        state.PauseTiming();
        single = TimeRun(folder, job, 1);
        state.ResumeTiming();
        gang = TimeRun(folder, job, pods);
        if (!single.ok || !gang.ok) state.SkipWithError("the job failed");
        bestExcess = std::min(bestExcess, (gang.wallMs - single.modeledMs) / std::max(single.modeledMs, 1.0));
    }
    state.counters["modeled_ms"] = gang.modeledMs;
    state.counters["single_ms"] = single.wallMs;
    state.counters["gang_ms"] = gang.wallMs;
    state.counters["excess_best"] = bestExcess;
    state.counters["within_10pct"] = bestExcess <= 0.10 ? 1 : 0;
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}
BENCHMARK(BM_JobGangWrite)->Arg(1)->Arg(16)->Iterations(2)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace nembra
