#include "sim/SimChip.h"

#include <array>

namespace nembra {

namespace {

struct ChipRow {
    SimChip chip;
    const char* name;
    // Erase time against a typical chip's, in percent.
    uint32_t erasePercent;
};

// Slow: a 16K-word sector takes 18.7 s, just inside 20 s. Failing: an
// 8K-word sector takes 22 s, past the time-out and the last empty read.
constexpr std::array<ChipRow, 3> kChips{{
    {SimChip::Typical, "typical", 100},
    {SimChip::Slow, "slow", 170},
    {SimChip::Failing, "failing", 220},
}};

const ChipRow& RowOf(SimChip chip) {
    for (const ChipRow& row : kChips)
        if (row.chip == chip) return row;
    return kChips.front();
}

uint32_t Scaled(uint32_t ms, uint32_t percent) { return static_cast<uint32_t>(uint64_t{ms} * percent / 100); }

}  // namespace

SimTiming TimingOfChip(SimChip chip, SimTiming typical) {
    const uint32_t percent = RowOf(chip).erasePercent;
    typical.erase8kSectorMs = Scaled(typical.erase8kSectorMs, percent);
    typical.erase16kSectorMs = Scaled(typical.erase16kSectorMs, percent);
    return typical;
}

const char* SimChipName(SimChip chip) { return RowOf(chip).name; }

const std::vector<std::string>& SimChipNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> all;
        for (const ChipRow& row : kChips) all.emplace_back(row.name);
        return all;
    }();
    return names;
}

bool ParseSimChip(const std::string& name, SimChip& chip) {
    for (const ChipRow& row : kChips) {
        if (name == row.name) {
            chip = row.chip;
            return true;
        }
    }
    return false;
}

}  // namespace nembra
