#include <cstdio>
#include <string_view>
#include <vector>

#include "image/IntelHex.h"
#include "image/ProgramFormat.h"
#include "image/ProgramImage.h"
#include "image/SectionRules.h"

namespace nembra {
namespace {

// The LF240xA program space has 16-bit word addresses.
constexpr uint64_t kLf240xASpaceEnd = 0x10000;

CoffResult FromProblem(HexProblem problem) {
    switch (problem) {
        case HexProblem::None: return CoffResult::Ok;
        case HexProblem::BadRecord: return CoffResult::HexBadRecord;
        case HexProblem::Checksum: return CoffResult::HexChecksum;
        case HexProblem::RecordType: return CoffResult::HexRecordType;
        case HexProblem::Truncated: return CoffResult::HexTruncated;
        case HexProblem::Overlap: return CoffResult::HexOverlap;
        case HexProblem::TooManyWords: return CoffResult::TooLarge;
    }
    return CoffResult::FileError;
}

// Ends every run at the edges of the F281x password words, so that the rules
// can leave those words out by address, as a section of their own.
std::vector<HexRun> SplitAtPasswordEdges(std::vector<HexRun> runs) {
    std::vector<HexRun> split;
    for (HexRun& run : runs) {
        uint32_t start = run.address;
        size_t from = 0;
        for (uint32_t edge : {kPasswordFirst, kPasswordLast + 1}) {
            if (edge <= start || edge >= run.end()) continue;
            const size_t to = from + (edge - start);
            split.push_back(
                {start, {run.words.begin() + static_cast<long>(from), run.words.begin() + static_cast<long>(to)}});
            start = edge;
            from = to;
        }
        if (from == 0)
            split.push_back(std::move(run));
        else
            split.push_back({start, {run.words.begin() + static_cast<long>(from), run.words.end()}});
    }
    return split;
}

}  // namespace

// Intel HEX in TI's 16-bit ROM-width layout: each run of consecutive words is
// one section named after its first address, in address order. The file has
// no target id; a word beyond 16 bits names it an F281x program.
LoadFault ReadHexProgram(std::span<const uint8_t> bytes, SectionSink& sink) {
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    HexParse parsed = ParseIntelHex(text, kImageStoreBytes / 2);
    if (parsed.problem != HexProblem::None) {
        LoadFault fault(FromProblem(parsed.problem));
        fault.line = parsed.line;
        fault.address = parsed.address;
        return fault;
    }
    const std::vector<HexRun> runs = SplitAtPasswordEdges(std::move(parsed.runs));
    if (!runs.empty() && runs.back().end() > kLf240xASpaceEnd)
        if (LoadFault f = sink.Family(DeviceFamily::F281x); !f.ok()) return f;
    if (LoadFault f = sink.Begin(); !f.ok()) return f;

    std::vector<uint8_t> buffer;
    for (const HexRun& run : runs) {
        char name[24];
        std::snprintf(name, sizeof name, "hex@%06X", static_cast<unsigned>(run.address));
        buffer.clear();
        for (uint16_t word : run.words) {
            buffer.push_back(static_cast<uint8_t>(word & 0xFF));
            buffer.push_back(static_cast<uint8_t>(word >> 8));
        }
        FoundSection found;
        found.name = name;
        found.address = run.address;
        found.wordCount = static_cast<uint32_t>(run.words.size());
        found.bytes = buffer;
        if (LoadFault f = sink.Section(found); !f.ok()) return f;
    }
    return {};
}

}  // namespace nembra
