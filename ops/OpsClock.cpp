#include "ops/OpsClock.h"

#include <ctime>

namespace nembra {

namespace {

LocalDateTime SystemLocalNow() {
    LocalDateTime now;
    const std::time_t seconds = std::time(nullptr);
    std::tm local{};
    if (seconds == static_cast<std::time_t>(-1) || localtime_r(&seconds, &local) == nullptr) return now;
    now.year = local.tm_year + 1900;
    now.month = local.tm_mon + 1;
    now.day = local.tm_mday;
    now.hour = local.tm_hour;
    now.minute = local.tm_min;
    return now;
}

}  // namespace

bool SystemOpsClock::ReadMs(uint32_t& ms) {
    timespec now{};
    if (clock_gettime(CLOCK_MONOTONIC, &now) != 0) return false;
    const uint64_t total = static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
    ms = static_cast<uint32_t>(total);
    return true;
}

LocalDateTime SystemOpsClock::LocalNow() { return SystemLocalNow(); }

LocalDateTime LinkOpsClock::LocalNow() { return SystemLocalNow(); }

}  // namespace nembra
