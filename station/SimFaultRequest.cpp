#include "station/SimFaultRequest.h"

#include <charconv>
#include <map>
#include <sstream>
#include <vector>

namespace nembra::station {
namespace {

const std::map<std::string, SimFault::Kind>& Kinds() {
    static const std::map<std::string, SimFault::Kind> kinds = {
        {"lost", SimFault::Kind::NoReply},     {"refused", SimFault::Kind::WrongFirstByte},
        {"slow", SimFault::Kind::SlowReply},   {"stray", SimFault::Kind::StrayByteAfterReply},
        {"unplug", SimFault::Kind::PulledOut},
    };
    return kinds;
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::istringstream in(text);
    std::string part;
    while (std::getline(in, part, separator)) parts.push_back(part);
    if (!text.empty() && text.back() == separator) parts.emplace_back();
    return parts;
}

bool ReadPositive(const std::string& text, long limit, long& value) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && value >= 1 && value <= limit;
}

bool Refuse(std::string& error, const char* why) {
    error += why;
    return false;
}

}  // namespace

bool ParseSimFault(const std::string& text, SimFaultRequest& request, std::string& error) {
    error = "--sim-fault \"" + text + "\": ";
    const size_t at = text.find('@');
    request.serial = at == std::string::npos ? "" : text.substr(at + 1);
    const std::vector<std::string> parts = Split(text.substr(0, at), ':');
    if (at != std::string::npos && request.serial.empty()) return Refuse(error, "no serial number after @");
    if (parts.size() < 2 || parts.size() > 4) return Refuse(error, "use KIND:LETTER[:N[:MS]][@SERIAL]");
    const auto kind = Kinds().find(parts[0]);
    if (kind == Kinds().end()) return Refuse(error, "KIND is one of lost, refused, slow, stray, unplug");
    if (parts[1].size() != 1 || parts[1][0] < 0x21 || parts[1][0] > 0x7E)
        return Refuse(error, "LETTER is one command letter");
    long occurrence = 1;
    long delayMs = 1000;
    if (parts.size() > 2 && !ReadPositive(parts[2], 1000000, occurrence)) return Refuse(error, "N is a count from 1");
    if (parts.size() > 3 && (kind->second != SimFault::Kind::SlowReply || !ReadPositive(parts[3], 600000, delayMs)))
        return Refuse(error, "MS (1 to 600000) is for slow only");
    request.fault = {kind->second, parts[1][0], static_cast<int>(occurrence),
                     kind->second == SimFault::Kind::SlowReply ? static_cast<uint32_t>(delayMs) : 0};
    error.clear();
    return true;
}

bool ArmSimFaults(const std::vector<std::string>& faults, PodStation& station, const std::vector<std::string>& serials,
                  const std::string& defaultSerial, std::string& error) {
    for (const std::string& text : faults) {
        SimFaultRequest request;
        if (!ParseSimFault(text, request, error)) return false;
        std::vector<std::string> targets{request.serial};
        if (request.serial.empty()) targets = serials;
        for (std::string serial : targets) {
            if (serial.empty()) serial = defaultSerial;
            SimPod* pod = station.SimPodOf(serial);
            if (pod == nullptr) {
                error = "--sim-fault \"" + text + "\": there is no simulated pod " + serial;
                return false;
            }
            pod->ArmFault(request.fault);
        }
    }
    return true;
}

}  // namespace nembra::station
