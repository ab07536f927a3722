// Loading a large program: the file is read whole, the reader hands views of
// its bytes to the rules, which copy the kept words into the store; a clear
// refills only what the last program wrote. A Load should cost little more
// than reading the file and copying its words once.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "image/CoffReader.h"
#include "image/ImageRules.h"
#include "image/LoadCoffFile.h"
#include "status/QuietStatus.h"

namespace {

void Put(std::vector<uint8_t>& out, size_t at, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// A COFF2 file for the F281x of `sections` sections of `words` words each,
// spread over the flash and RAM, with the string table empty.
std::vector<uint8_t> LargeCoff(uint32_t sections, uint32_t words) {
    const size_t headers = 22 + 48 * size_t{sections};
    const size_t dataBytes = 2 * size_t{words} * sections;
    std::vector<uint8_t> out(headers + dataBytes + 4, 0);
    Put(out, 0, 0x00C2, 2);
    Put(out, 2, sections, 2);
    Put(out, 8, static_cast<uint32_t>(headers + dataBytes), 4);
    Put(out, 20, 0x009D, 2);
    for (uint32_t i = 0; i < sections; ++i) {
        const size_t at = 22 + 48 * size_t{i};
        out[at] = 's';
        out[at + 1] = static_cast<uint8_t>('a' + i % 26);
        const uint32_t address = (i % 2 ? 0x3D8000u : 0x80000u) + i * words;
        Put(out, at + 12, address, 4);
        Put(out, at + 16, words, 4);
        Put(out, at + 20, static_cast<uint32_t>(headers + 2 * size_t{words} * i), 4);
    }
    for (size_t b = headers; b < headers + dataBytes; ++b) out[b] = static_cast<uint8_t>(b * 7);
    Put(out, headers + dataBytes, 4, 4);
    return out;
}

std::string WriteTemp(const std::vector<uint8_t>& bytes) {
    char name[] = "/tmp/nembra-bench-XXXXXX";
    const int fd = ::mkstemp(name);
    if (fd >= 0) ::close(fd);
    std::ofstream(name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return name;
}

void BM_LoadCoff(benchmark::State& state) {
    const auto sections = static_cast<uint32_t>(state.range(0));
    const uint32_t words = 0x200000 / sections;  // 4 MiB of data in all
    const std::string path = WriteTemp(LargeCoff(sections, words));
    nembra::ProgramImage image;
    for (auto _ : state) {
        if (nembra::ReadCoffFile(path, 4, image) != nembra::CoffResult::Ok) {
            state.SkipWithError("the generated file did not load");
            break;
        }
        nembra::ComputeFlashSummary(image, 4);
        benchmark::DoNotOptimize(image.flashSummary.flashBytes);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 2 * words * sections);
    ::unlink(path.c_str());
}
BENCHMARK(BM_LoadCoff)->Arg(1)->Arg(64)->Arg(4096)->Unit(benchmark::kMillisecond);

// A crafted 9 MiB file: 65,535 one-word sections at one address, each named
// by the same string-table offset, whose string runs on for 6 MiB. Read a
// byte at a time per section, it took most of an hour; it must cost about one
// pass over the file, and the overlap rule must refuse it at once.
std::vector<uint8_t> CraftedCoff() {
    constexpr uint32_t kSections = 0xFFFF;
    constexpr size_t kNameBytes = 6u << 20;
    const size_t table = 22 + 48 * size_t{kSections};
    std::vector<uint8_t> out(table + 4 + kNameBytes + 1, 'n');
    std::fill(out.begin(), out.begin() + static_cast<long>(table), 0);
    Put(out, 0, 0x00C2, 2);
    Put(out, 2, kSections, 2);
    Put(out, 8, static_cast<uint32_t>(table), 4);
    Put(out, 20, 0x009D, 2);
    for (uint32_t i = 0; i < kSections; ++i) {
        const size_t at = 22 + 48 * size_t{i};
        Put(out, at + 4, 4, 4);  // the name: string-table offset 4
        Put(out, at + 12, 0x8000, 4);
        Put(out, at + 16, 1, 4);
        Put(out, at + 20, static_cast<uint32_t>(table + 4), 4);
    }
    Put(out, table, static_cast<uint32_t>(4 + kNameBytes + 1), 4);
    out.back() = 0;
    return out;
}

void BM_CraftedNamesAndOverlaps(benchmark::State& state) {
    const std::string path = WriteTemp(CraftedCoff());
    nembra::ProgramImage image;
    for (auto _ : state) {
        if (nembra::ReadCoffFile(path, 4, image) != nembra::CoffResult::Ok) {
            state.SkipWithError("the crafted file did not read");
            break;
        }
        const nembra::RuleBreak broken = nembra::CheckImageRules(image.sections, 4);
        if (broken.rule != nembra::ImageRule::Overlap) {
            state.SkipWithError("the overlap was not found");
            break;
        }
    }
    ::unlink(path.c_str());
}
BENCHMARK(BM_CraftedNamesAndOverlaps)->Unit(benchmark::kMillisecond);

// The rules over 65,535 sections that all pass: every section is looked at.
void BM_ImageRulesManySections(benchmark::State& state) {
    std::vector<nembra::ImageSection> sections(0xFFFF);
    for (size_t i = 0; i < sections.size(); ++i) {
        sections[i].address = 0x80000 + static_cast<uint32_t>(sections.size() - i) * 8;
        sections[i].wordCount = 8;
    }
    for (auto _ : state) benchmark::DoNotOptimize(nembra::CheckImageRules(sections, 4).rule);
}
BENCHMARK(BM_ImageRulesManySections)->Unit(benchmark::kMillisecond);

void BM_ClearImage(benchmark::State& state) {
    nembra::ProgramImage image;
    for (auto _ : state) {
        nembra::ClearImage(image, 4);
        benchmark::DoNotOptimize(image.store()[0]);
    }
}
BENCHMARK(BM_ClearImage)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

// A whole Load of TI's 300 KB program for the F2812: file, reader, rules and
// flash summary, as the window and every command run it.
void BM_LoadTiProgram(benchmark::State& state) {
    const std::string path = NEMBRA_BENCH_TESTDATA_DIR "/ti-coff/TB3CM_DSP_Code.out";
    if (::access(path.c_str(), R_OK) != 0) {
        state.SkipWithError("TI test data not found (NEMBRA_TESTDATA_DIR)");
        return;
    }
    nembra::ProgramImage image;
    nembra::DeviceType deviceType = 4;
    nembra::RecentFiles recent;
    nembra::QuietStatus status;  // the status line is not what is measured
    nembra::LoadContext ctx{image, deviceType, 4, recent, status};
    for (auto _ : state) {
        if (!nembra::LoadCoffFile(ctx, path, false)) {
            state.SkipWithError("the TI program did not load");
            break;
        }
        benchmark::DoNotOptimize(image.flashSummary.flashBytes);
    }
}
BENCHMARK(BM_LoadTiProgram)->Unit(benchmark::kMicrosecond);

}  // namespace
