#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace nembra {

// What the simulated pod makes of one command.
struct SimReply {
    bool accepted = false;
    std::vector<uint8_t> data;  // reply bytes after the '!'
    std::string error;          // why a frame was refused, when the host is at fault
    uint32_t workMs = 0;        // time the pod works before it answers
    uint32_t workUs = 0;        // and the part of it finer than milliseconds

    static SimReply Accept(uint32_t workMs = 0) { return SimReply{true, {}, {}, workMs, 0}; }
    static SimReply AcceptWith(std::vector<uint8_t> data, uint32_t workMs = 0) {
        return SimReply{true, std::move(data), {}, workMs, 0};
    }
    // Carried out as a real pod would, yet the host broke the protocol.
    static SimReply AcceptNoting(std::string why, uint32_t workMs = 0) {
        return SimReply{true, {}, std::move(why), workMs, 0};
    }
    // Refused because the host broke the protocol.
    static SimReply Refuse(std::string why) { return SimReply{false, {}, std::move(why), 0, 0}; }
    uint64_t WorkUs() const { return uint64_t{workMs} * 1000 + workUs; }
    // A plain "no": nothing wrong with the frame (a page that differs).
    static SimReply Deny() { return SimReply{}; }
};

}  // namespace nembra
