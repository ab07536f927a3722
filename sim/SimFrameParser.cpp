#include "sim/SimFrameParser.h"

#include <cstdio>

#include "pod/PodCommands.h"

namespace nembra {

namespace {

// Longer than the longest command frame; a frame without ETX by then is
// garbage, and the receiver waits for the next STX.
constexpr size_t kMaxFieldChars = 48;

std::string ByteText(uint8_t byte) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", byte);
    return text;
}

}  // namespace

void SimFrameParser::Reset() {
    state_ = State::Idle;
    frame_ = {};
    strayCount_ = 0;
}

bool SimFrameParser::FinishStray(SimFrame& out) {
    out = {};
    out.error = std::to_string(strayCount_) + " byte(s) outside a frame, starting with " + ByteText(firstStray_);
    strayCount_ = 0;
    return true;
}

bool SimFrameParser::EndOfWrite(SimFrame& out) {
    if (state_ != State::Stray) return false;
    state_ = State::Idle;
    return FinishStray(out);
}

bool SimFrameParser::Feed(uint8_t byte, SimFrame& out) {
    if (byte == STX) {
        const State before = state_;
        const SimFrame cut = frame_;
        state_ = State::Letter;
        frame_ = {};
        if (before == State::Stray) return FinishStray(out);
        if (before == State::Letter || before == State::Fields) {
            out = cut;
            out.error = "frame cut short by a new STX";
            return true;
        }
        return false;
    }
    switch (state_) {
        case State::Idle:
        case State::Stray:
            if (strayCount_++ == 0) firstStray_ = byte;
            state_ = State::Stray;
            return false;
        case State::Letter:
            if (byte == ETX) {
                state_ = State::Idle;
                out = {};
                out.error = "empty frame";
                return true;
            }
            frame_.letter = static_cast<char>(byte);
            state_ = State::Fields;
            return false;
        case State::Fields:
            if (byte == ETX) {
                state_ = State::Idle;
                out = frame_;
                frame_ = {};
                return true;
            }
            frame_.fields.push_back(static_cast<char>(byte));
            if (frame_.fields.size() > kMaxFieldChars) {
                out = frame_;
                out.error = "no ETX within " + std::to_string(kMaxFieldChars) + " characters";
                frame_ = {};
                state_ = State::Idle;
                return true;
            }
            return false;
    }
    return false;
}

}  // namespace nembra
