#include "image/HexFileReader.h"

#include <cstdio>
#include <fstream>
#include <new>

namespace nembra {
namespace {

// The F281x code-security password words: an image never holds them (the
// keys come from the key fields), as the COFF reader drops "CsmPwlFile".
constexpr uint32_t kPasswordFirst = 0x3F7FF8;
constexpr uint32_t kPasswordLast = 0x3F7FFF;
// The flash summary counts sections in 16 bits, as a COFF header does.
constexpr size_t kMostRuns = 0xFFFF;

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

// Splits the runs around the password words of the F281x family.
std::vector<HexRun> WithoutPassword(std::vector<HexRun> runs) {
    std::vector<HexRun> kept;
    for (HexRun& run : runs) {
        if (run.end() <= kPasswordFirst || run.address > kPasswordLast) {
            kept.push_back(std::move(run));
            continue;
        }
        if (run.address < kPasswordFirst)
            kept.push_back({run.address, {run.words.begin(), run.words.begin() + (kPasswordFirst - run.address)}});
        if (run.end() > kPasswordLast + 1)
            kept.push_back({kPasswordLast + 1,
                            {run.words.end() - static_cast<long>(run.end() - kPasswordLast - 1), run.words.end()}});
    }
    return kept;
}

// The LF240xA program space has 16-bit addresses: a word beyond it was built
// for another device.
bool FitsDevice(const std::vector<HexRun>& runs, DeviceType deviceType) {
    if (IsF281x(deviceType)) return true;
    return runs.empty() || runs.back().end() <= 0x10000;
}

void StoreRuns(const std::vector<HexRun>& runs, DeviceType deviceType, ProgramImage& image) {
    ClearImage(image, deviceType);
    uint32_t storeBytes = 0;
    for (const HexRun& run : runs) {
        ImageSection section;
        char name[24];
        std::snprintf(name, sizeof name, "hex@%06X", static_cast<unsigned>(run.address));
        section.name = name;
        section.address = run.address;
        section.wordCount = static_cast<uint32_t>(run.words.size());
        section.dataOffset = storeBytes;
        section.storeOffset = storeBytes;
        MarkFlashRegion(section, deviceType);
        uint8_t* target = image.store() + storeBytes;
        for (uint16_t word : run.words) {
            *target++ = static_cast<uint8_t>(word & 0xFF);
            *target++ = static_cast<uint8_t>(word >> 8);
        }
        storeBytes += 2 * section.wordCount;
        image.sections.push_back(std::move(section));
    }
    image.totalBytes = storeBytes;
}

CoffResult ReadRuns(const std::string& path, DeviceType deviceType, std::vector<HexRun>& runs, HexFault& fault) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return CoffResult::OpenFailed;
    HexParse parsed = ParseIntelHex(in, kImageStoreBytes / 2);
    if (in.bad()) return CoffResult::FileError;
    fault = {parsed.line, parsed.address};
    if (parsed.problem != HexProblem::None) return FromProblem(parsed.problem);
    runs = IsF281x(deviceType) ? WithoutPassword(std::move(parsed.runs)) : std::move(parsed.runs);
    if (runs.size() > kMostRuns) return CoffResult::HexTooManyRuns;
    return FitsDevice(runs, deviceType) ? CoffResult::Ok : CoffResult::DeviceMismatch;
}

}  // namespace

CoffResult ReadHexFile(const std::string& path, DeviceType deviceType, ProgramImage& image, HexFault& fault) {
    try {
        std::vector<HexRun> runs;
        if (auto r = ReadRuns(path, deviceType, runs, fault); r != CoffResult::Ok) return r;
        StoreRuns(runs, deviceType, image);
        return CoffResult::Ok;
    } catch (const std::bad_alloc&) {
        return CoffResult::MemoryError;
    }
}

std::string LoadResultMessage(CoffResult result, const HexFault& fault) {
    std::string message = CoffResultMessage(result);
    char where[40] = "";
    if (result == CoffResult::HexOverlap)
        std::snprintf(where, sizeof where, " (0x%06X)", static_cast<unsigned>(fault.address));
    else if (result == CoffResult::HexBadRecord || result == CoffResult::HexChecksum ||
             result == CoffResult::HexRecordType)
        std::snprintf(where, sizeof where, " (line %u)", fault.line);
    return message + where;
}

}  // namespace nembra
