#include "pod/PodListing.h"

#include <array>
#include <cstring>

namespace nembra {

namespace {

constexpr size_t kTextBytes = 64;

void* IndexArgument(DWORD index) { return reinterpret_cast<void*>(static_cast<uintptr_t>(index)); }

// A text field of one listed device; empty when the driver does not give it.
std::string ListedText(FtdiDriver& driver, DWORD index, DWORD field) {
    std::array<char, kTextBytes> text{};
    if (driver.FT_ListDevices(IndexArgument(index), text.data(), FT_LIST_BY_INDEX | field) != FT_OK) return {};
    text.back() = '\0';
    return std::string(text.data(), strnlen(text.data(), text.size()));
}

std::optional<uint32_t> ListedLocation(FtdiDriver& driver, DWORD index) {
    DWORD location = 0;
    if (driver.FT_ListDevices(IndexArgument(index), &location, FT_LIST_BY_INDEX | FT_OPEN_BY_LOCATION) != FT_OK)
        return std::nullopt;
    return location;
}

}  // namespace

std::vector<AttachedDevice> ListAttachedDevices(FtdiDriver& driver) {
    DWORD count = 0;
    if (driver.FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY) != FT_OK) return {};
    std::vector<AttachedDevice> devices;
    for (DWORD i = 0; i < count; ++i) {
        devices.push_back({ListedText(driver, i, FT_OPEN_BY_DESCRIPTION),
                           ListedText(driver, i, FT_OPEN_BY_SERIAL_NUMBER), ListedLocation(driver, i)});
    }
    return devices;
}

OpenFailureCause ProbeOpen(FtdiDriver& driver, const std::string& serial) {
    std::array<char, kTextBytes> text{};
    std::memcpy(text.data(), serial.data(), std::min(serial.size(), kTextBytes - 1));
    FT_HANDLE handle = nullptr;
    if (serial.empty() || driver.FT_OpenEx(text.data(), FT_OPEN_BY_SERIAL_NUMBER, &handle) != FT_OK) {
        const OpenFailureCause cause = driver.LastOpenFailureCause();
        return cause == OpenFailureCause::None ? OpenFailureCause::Other : cause;
    }
    driver.FT_Close(handle);
    return OpenFailureCause::None;
}

}  // namespace nembra
