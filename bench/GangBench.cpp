// N simulated pods programmed at once, each on its own thread and link with
// one shared image, against the pods' modeled time. The pods are paced (each
// takes its modeled time for real), so a gang run that really runs in
// parallel takes about as long as its slowest pod; the host's own share is
// what it takes beyond that, which should stay within 10 % of the modeled
// time for N = 1, 4 and 16. Wall time depends on what else the host runs;
// the process's CPU time, page faults and context switches per pod do not,
// so they are reported beside it.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "bench/BenchImage.h"
#include "station/GangRun.h"

namespace nembra {
namespace {

std::string MakeStateFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "nembra-bench-XXXXXX").string();
    return mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
}

// What the process spent, from getrusage: CPU time in user and kernel mode,
// minor page faults and context switches (a paced pod sleeps once per
// virtual-clock step, which shows as a voluntary switch).
struct HostUse {
    double userMs = 0;
    double systemMs = 0;
    double minorFaults = 0;
    double voluntarySwitches = 0;
    double forcedSwitches = 0;

    HostUse& operator+=(const HostUse& more) {
        userMs += more.userMs;
        systemMs += more.systemMs;
        minorFaults += more.minorFaults;
        voluntarySwitches += more.voluntarySwitches;
        forcedSwitches += more.forcedSwitches;
        return *this;
    }
    HostUse operator-(const HostUse& start) const {
        return {userMs - start.userMs, systemMs - start.systemMs, minorFaults - start.minorFaults,
                voluntarySwitches - start.voluntarySwitches, forcedSwitches - start.forcedSwitches};
    }
};

double Ms(const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; }

HostUse UseSoFar() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return {Ms(usage.ru_utime), Ms(usage.ru_stime), static_cast<double>(usage.ru_minflt),
            static_cast<double>(usage.ru_nvcsw), static_cast<double>(usage.ru_nivcsw)};
}

struct GangTimes {
    double wallMs = 0;
    uint32_t modeledMs = 0;  // the slowest pod's
    HostUse use;
    bool ok = true;
};

GangTimes TimeGang(station::PodStation& station, const std::vector<std::string>& serials, const ProgramImage& image) {
    station::PodRequest request;
    request.job.command = JobCommand::PodWrite;
    const StopRequest stop;
    GangTimes times;
    const HostUse used = UseSoFar();
    const auto start = std::chrono::steady_clock::now();
    const auto results = station::RunPodsAtOnce(request, station, serials, {serials.size(), &image}, stop, nullptr);
    times.wallMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    times.use = UseSoFar() - used;
    for (const auto& pod : results) {
        times.ok = times.ok && pod.outcome.ok;
        times.modeledMs = std::max(times.modeledMs, pod.facts.elapsedMs);
    }
    return times;
}

// Each iteration runs one pod alone, then all N at once; the gang may take
// the single run's time plus 10 % of the modeled time.
void BM_GangPodWrite(benchmark::State& state) {
    const int pods = static_cast<int>(state.range(0));
    const std::string folder = MakeStateFolder();
    auto station = station::MakeSimStation(folder + "/pod.store", pods, true);
    std::vector<std::string> serials;
    for (int n = 1; n <= pods; ++n) serials.push_back(station::SimPodSerial(n));
    ProgramImage image;
    FillImage(image, 2048);
    GangTimes single;
    GangTimes gang;
    // The gang's time beyond the single run's, as a share of the modeled time:
    // the best iteration shows what the code does, the worst what a busy host added.
    double bestExcess = 1e9;
    double worstExcess = 0;
    HostUse gangUse;
    for (auto _ : state) {
        state.PauseTiming();
        single = TimeGang(*station, {serials.front()}, image);
        state.ResumeTiming();
        gang = TimeGang(*station, serials, image);
        if (!single.ok || !gang.ok) state.SkipWithError("a pod failed");
        const double excess = (gang.wallMs - single.wallMs) / std::max<uint32_t>(gang.modeledMs, 1);
        bestExcess = std::min(bestExcess, excess);
        worstExcess = std::max(worstExcess, excess);
        gangUse += gang.use;
    }
    // Per pod and gang run, averaged over the iterations.
    const double runs = static_cast<double>(state.iterations()) * pods;
    state.counters["pod_user_ms"] = gangUse.userMs / runs;
    state.counters["pod_sys_ms"] = gangUse.systemMs / runs;
    state.counters["pod_faults"] = gangUse.minorFaults / runs;
    state.counters["pod_vcsw"] = gangUse.voluntarySwitches / runs;
    state.counters["pod_ivcsw"] = gangUse.forcedSwitches / runs;
    state.counters["gang_cpu_ms"] = (gangUse.userMs + gangUse.systemMs) / static_cast<double>(state.iterations());
    state.counters["modeled_ms"] = gang.modeledMs;
    state.counters["single_ms"] = single.wallMs;
    state.counters["gang_ms"] = gang.wallMs;
    state.counters["excess_best"] = bestExcess;
    state.counters["excess_worst"] = worstExcess;
    state.counters["within_10pct"] = bestExcess <= 0.10 ? 1 : 0;
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}
BENCHMARK(BM_GangPodWrite)->Arg(1)->Arg(4)->Arg(16)->Iterations(5)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace nembra
