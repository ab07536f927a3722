// Host-side cost of a whole Target Write and POD Write/Verify: frame
// formatting, batching, the reply reads and the simulated pod, with every
// reply due at once. What this measures is the tool's own overhead per
// programmed word, which must stay far below the wire time of a real pod
// (about 76 us per data-word frame at 921600 baud).
#include <benchmark/benchmark.h>

#include "bench/BenchImage.h"

#include "image/ProgramImage.h"
#include "ops/Operations.h"
#include "sim/SimRig.h"
#include "status/ProgressModel.h"
#include "tests/support/RecordingEvents.h"

namespace nembra {
namespace {

class QuietStatus : public StatusSink {
public:
    void ShowMessage(const std::string&, bool) override {}
    void SetRange(int32_t lower, int32_t upper) override { bar.SetRange(lower, upper); }
    void SetStep(int32_t step) override { bar.SetStep(step); }
    int32_t SetPos(int32_t pos) override { return bar.SetPos(pos).previous; }
    int32_t StepIt() override { return bar.StepIt().previous; }

    ProgressModel bar;
};

struct Bench {
    explicit Bench(uint32_t words) : rig(Options()), session(rig.loader, rig.clock), opsClock(rig.clock) {
        session.link.LoadDriverLibrary();
        FillImage(session.image, words);
    }
    static SimPodOptions Options() {
        SimPodOptions options;
        options.timing.zeroLatency = true;
        return options;
    }

    SimRig rig;
    Session session;
    Job job;
    testing::RecordingEvents events;
    QuietStatus status;
    LinkOpsClock opsClock;
    OperationContext ctx{session, job, status, opsClock, nullptr, &events};
};

void BM_TargetWrite(benchmark::State& state) {
    const auto words = static_cast<uint32_t>(state.range(0));
    Bench bench(words);
    for (auto _ : state) {
        const OperationOutcome outcome = RunTargetWrite(bench.ctx);
        if (!outcome.ok) {
            state.SkipWithError(outcome.line.c_str());
            break;
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * words);
}
BENCHMARK(BM_TargetWrite)->Arg(4096)->Arg(0x4000)->Unit(benchmark::kMillisecond);

void BM_PodWriteAndVerify(benchmark::State& state) {
    const auto words = static_cast<uint32_t>(state.range(0));
    Bench bench(words);
    for (auto _ : state) {
        OperationOutcome outcome = RunPodWrite(bench.ctx);
        if (outcome.ok) outcome = RunPodVerify(bench.ctx);
        if (!outcome.ok) {
            state.SkipWithError(outcome.line.c_str());
            break;
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * words * 2);
}
BENCHMARK(BM_PodWriteAndVerify)->Arg(4096)->Arg(0x4000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace nembra
