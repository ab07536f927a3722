#include "station/PodSelection.h"

#include <algorithm>
#include <charconv>
#include <sstream>

#include "pod/PodLink.h"

namespace nembra::station {
namespace {

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// A serial number first: an FTDI serial may be all digits.
const PodEntry* Resolve(const std::string& item, const std::vector<PodEntry>& entries) {
    for (const PodEntry& entry : entries)
        if (!entry.serial.empty() && entry.serial == item) return &entry;
    int index = -1;
    const auto [end, ec] = std::from_chars(item.data(), item.data() + item.size(), index);
    if (ec != std::errc() || end != item.data() + item.size()) return nullptr;
    for (const PodEntry& entry : entries)
        if (entry.index == index) return &entry;
    return nullptr;
}

void AddOnce(const std::string& serial, std::vector<std::string>& serials) {
    if (std::find(serials.begin(), serials.end(), serial) == serials.end()) serials.push_back(serial);
}

bool SelectAll(const std::vector<PodEntry>& entries, std::vector<std::string>& serials, std::string& error) {
    for (const PodEntry& entry : entries)
        if (entry.description == kPodDescription && !entry.serial.empty()) AddOnce(entry.serial, serials);
    if (!serials.empty()) return true;
    error = "No KVL47Q POD is attached";
    return false;
}

}  // namespace

bool SelectPods(const std::string& selector, const std::vector<PodEntry>& entries, std::vector<std::string>& serials,
                std::string& error) {
    serials.clear();
    if (Trimmed(selector) == "all") return SelectAll(entries, serials, error);
    std::istringstream in(selector);
    std::string item;
    while (std::getline(in, item, ',')) {
        item = Trimmed(item);
        if (item.empty()) continue;
        const PodEntry* entry = Resolve(item, entries);
        if (entry == nullptr) {
            error = "No pod with the serial number or index \"" + item + "\" is attached";
            return false;
        }
        if (entry->serial.empty()) {
            error = "The pod at index " + item + " has no serial number to open it by";
            return false;
        }
        AddOnce(entry->serial, serials);
    }
    if (serials.empty()) {
        error = "No pod is named: give a serial number, an index, a list of them or all";
        return false;
    }
    return true;
}

}  // namespace nembra::station
