// The libftdi1 backend through the real libftdi1.so.2 on the modelled FT232R
// (tests/usbmodel), with a pod that answers at once. Two times come out of
// each run: the bus's virtual time, which is what a real link would spend
// waiting on the chip (its latency timer, the line), and the benchmark's
// real time, which is the host's own work (link, adapter, libftdi and the
// model, so an upper bound). A reply should cost no more than the chip's
// latency timer on the bus and no more than 0.1 ms of the host's time.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <optional>
#include <string_view>

#include "bench/BenchImage.h"
#include "ops/Operations.h"
#include "pod/PodLink.h"
#include "status/QuietStatus.h"
#include "tests/support/LinkTally.h"
#include "tests/support/RecordingEvents.h"
#include "tests/usbmodel/ModelDriverLoader.h"
#include "tests/usbmodel/UsbModelControl.h"

namespace nembra {
namespace {

constexpr double kLineByteMs = 10.0 * 1000.0 / kPodBaudRate;  // ten bits a byte
constexpr std::string_view kIdentify{"\x02I\x03", 3};

// Loaded by its path before libftdi1 is, the model is the library that
// libftdi1's need for libusb-1.0.so.0 is met with; no library path is needed.
usbmodel::UsbModelControl* LoadModel() {
    static void* const library = dlopen(NEMBRA_USBMODEL_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) return nullptr;
    auto* find = reinterpret_cast<decltype(&nembra_usb_model)>(dlsym(library, "nembra_usb_model"));
    return find == nullptr ? nullptr : find();
}

struct ModelLink {
    explicit ModelLink(usbmodel::UsbModelControl& bus) : model(bus), loader(bus.Clock()), opsClock(bus.Clock()) {
        model.Reset();
        SimPodOptions instant;
        instant.timing.zeroLatency = true;
        model.AddChip(0x6001, kPodDescription, instant);
        session.emplace(loader, model.Clock());
        session->link.LoadDriverLibrary();
        session->link.SetObserver(&tally);
    }
    ~ModelLink() { session.reset(); }
    PodLink& link() { return session->link; }

    usbmodel::UsbModelControl& model;
    usbmodel::ModelDriverLoader loader;
    LinkOpsClock opsClock;
    std::optional<Session> session;
    testing::LinkTally tally;
    Job job;
    testing::RecordingEvents events;
    QuietStatus status;
};

bool ModelReady(benchmark::State& state, usbmodel::UsbModelControl*& model) {
    model = LoadModel();
    if (model == nullptr) state.SkipWithError("the chip model did not load in place of libusb-1.0.so.0");
    return model != nullptr;
}

void BM_AcknowledgedReply(benchmark::State& state) {
    usbmodel::UsbModelControl* model = nullptr;
    if (!ModelReady(state, model)) return;
    ModelLink bench(*model);
    if (!bench.link().FindPod() || bench.link().OpenPod() != OpenResult::Opened) {
        state.SkipWithError("the modelled pod did not open");
        return;
    }
    const uint32_t startMs = model->Clock().NowMs();
    for (auto _ : state) {
        if (!bench.link().Exchange(kIdentify, 1, kDriverTimeoutMs)) {
            state.SkipWithError("a reply was missing");
            break;
        }
    }
    const auto busMs = static_cast<double>(model->Clock().NowMs() - startMs);
    state.counters["bus_ms_per_reply"] = busMs / static_cast<double>(state.iterations());
    state.counters["latency_timer_ms"] = kPodLatencyMs;
    bench.link().ClosePod();
}
BENCHMARK(BM_AcknowledgedReply)->Unit(benchmark::kMicrosecond);

// The whole 128 K-word flash of an F2812 (the password words left erased),
// against the time its bytes need on the line.
void BM_FullF2812Flash(benchmark::State& state) {
    constexpr uint32_t kFlashStart = 0x3D8000;
    constexpr uint32_t kFlashWords = 0x20000 - 8;
    usbmodel::UsbModelControl* model = nullptr;
    if (!ModelReady(state, model)) return;
    ModelLink bench(*model);
    FillImage(bench.session->image, kFlashWords, kFlashStart);
    bench.job.device = 4;
    OperationContext ctx{*bench.session, bench.job, bench.status, bench.opsClock, nullptr, &bench.events};
    uint64_t busMs = 0;
    for (auto _ : state) {
        const uint32_t start = model->Clock().NowMs();
        const OperationOutcome outcome = RunTargetWrite(ctx);
        busMs += model->Clock().NowMs() - start;
        if (!outcome.ok) {
            state.SkipWithError(outcome.line.c_str());
            break;
        }
    }
    const auto runs = static_cast<double>(state.iterations());
    const double wireMs = static_cast<double>((bench.tally.written + bench.tally.read)) * kLineByteMs / runs;
    state.counters["bus_s"] = static_cast<double>(busMs) / runs / 1000.0;
    state.counters["wire_s"] = wireMs / 1000.0;
    state.counters["replies"] = static_cast<double>(bench.tally.replies) / runs;
}
BENCHMARK(BM_FullF2812Flash)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
}  // namespace nembra
