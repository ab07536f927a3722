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

    static SimReply Accept(uint32_t workMs = 0) { return SimReply{true, {}, {}, workMs}; }
    static SimReply AcceptWith(std::vector<uint8_t> data, uint32_t workMs = 0) {
        return SimReply{true, std::move(data), {}, workMs};
    }
    // Carried out as a real pod would, yet the host broke the protocol.
    static SimReply AcceptNoting(std::string why, uint32_t workMs = 0) {
        return SimReply{true, {}, std::move(why), workMs};
    }
    // Refused because the host broke the protocol.
    static SimReply Refuse(std::string why) { return SimReply{false, {}, std::move(why), 0}; }
    // A plain "no": nothing wrong with the frame (a page that differs).
    static SimReply Deny() { return SimReply{}; }
};

}  // namespace nembra
