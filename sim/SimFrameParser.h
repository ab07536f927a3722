#pragma once
#include <cstdint>
#include <string>

namespace nembra {

// One complete frame as the pod's receiver saw it, or a receive error.
struct SimFrame {
    char letter = 0;
    std::string fields;  // what stands between the letter and ETX
    std::string error;   // set when the bytes did not form a frame
};

// Cuts the host's byte stream into frames: STX, letter, fields, ETX. Frames
// may be split across writes and several may come in one write.
class SimFrameParser {
public:
    // Feeds one byte; true when `out` now holds a frame or an error.
    bool Feed(uint8_t byte, SimFrame& out);
    // At the end of each host write: reports a run of stray bytes at once
    // rather than when the next frame starts.
    bool EndOfWrite(SimFrame& out);
    // The receiver starts over (the device was opened or reset).
    void Reset();

private:
    enum class State { Idle, Stray, Letter, Fields };

    bool FinishStray(SimFrame& out);

    State state_ = State::Idle;
    SimFrame frame_;
    size_t strayCount_ = 0;
    uint8_t firstStray_ = 0;
};

}  // namespace nembra
