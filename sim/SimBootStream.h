#pragma once
#include <cstdint>

#include "image/IntelHex.h"
#include "sim/SimReply.h"

namespace nembra {

// The F281x boot loader's stream after "N": per block "U" word count, "U"
// destination high, "U" destination low, the data words as "S" ending in
// "Y"; "X" 0000 in place of a count ends the stream.
class SimF281xBootStream {
public:
    explicit SimF281xBootStream(WordMap& memory) : memory_(memory) {}
    SimReply Word(char letter, uint16_t value);
    bool ended() const { return state_ == State::Ended; }
    bool midBlock() const { return state_ != State::Count && state_ != State::Ended; }

private:
    enum class State { Count, High, Low, Data, Ended };
    SimReply Control(char letter, uint16_t value);
    SimReply Data(char letter, uint16_t value);

    WordMap& memory_;
    State state_ = State::Count;
    uint32_t count_ = 0;
    uint32_t received_ = 0;
    uint32_t destination_ = 0;
};

// The LF240xA stream after "M": per block "U" destination, "U" count - 1,
// the data as "S" ending in "Z"; then "U" 0001 before another block or
// "U" 0000 at the end. Addresses are 16 bits wide.
class SimLf240xStream {
public:
    explicit SimLf240xStream(WordMap& memory) : memory_(memory) {}
    SimReply Word(char letter, uint16_t value);
    bool ended() const { return state_ == State::Ended; }
    // The words of the block under way or just ended.
    uint32_t blockWords() const { return count_; }

private:
    enum class State { Destination, Count, Data, Continue, Ended };
    SimReply Control(uint16_t value);
    SimReply Data(char letter, uint16_t value);

    WordMap& memory_;
    State state_ = State::Destination;
    uint32_t count_ = 0;
    uint32_t received_ = 0;
    uint16_t destination_ = 0;
};

}  // namespace nembra
