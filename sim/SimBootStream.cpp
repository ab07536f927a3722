#include "sim/SimBootStream.h"

#include <string>

namespace nembra {

namespace {

std::string Letter(char letter) { return std::string("'") + letter + "'"; }

SimReply WrongCount(char last, uint32_t received, uint32_t count) {
    return SimReply::Refuse(Letter(last) + " ends a block after " + std::to_string(received) +
                            " word(s), but its count was " + std::to_string(count));
}

}  // namespace

SimReply SimF281xBootStream::Word(char letter, uint16_t value) {
    if (state_ == State::Ended)
        return SimReply::Refuse("boot stream word " + Letter(letter) + " after the stream ended");
    if (state_ == State::Data) return Data(letter, value);
    return Control(letter, value);
}

SimReply SimF281xBootStream::Control(char letter, uint16_t value) {
    if (state_ == State::Count && letter == 'X') {
        if (value != 0) return SimReply::Refuse("'X' must carry 0000 to end the boot stream");
        state_ = State::Ended;
        return SimReply::Accept();
    }
    if (letter != 'U') {
        if (letter == 'S') return SimReply::Refuse("data word outside a block");
        return SimReply::Refuse(Letter(letter) + " where the boot loader expects a 'U' header word");
    }
    switch (state_) {
        case State::Count:
            if (value == 0) return SimReply::Refuse("block of 0 words; the stream ends with 'X' 0000");
            count_ = value;
            state_ = State::High;
            break;
        case State::High:
            destination_ = uint32_t{value} << 16;
            state_ = State::Low;
            break;
        default:
            destination_ |= value;
            received_ = 0;
            state_ = State::Data;
            break;
    }
    return SimReply::Accept();
}

SimReply SimF281xBootStream::Data(char letter, uint16_t value) {
    if (letter != 'S' && letter != 'Y') return SimReply::Refuse(Letter(letter) + " inside a data block");
    const bool last = received_ + 1 == count_;
    if (letter == 'Y' && !last) return WrongCount('Y', received_ + 1, count_);
    if (letter == 'S' && last) return SimReply::Refuse("the last word of a block came as 'S', not 'Y'");
    memory_[destination_ + received_] = value;
    ++received_;
    if (letter == 'Y') state_ = State::Count;
    return SimReply::Accept();
}

SimReply SimLf240xStream::Word(char letter, uint16_t value) {
    if (state_ == State::Ended) return SimReply::Refuse("stream word " + Letter(letter) + " after the stream ended");
    if (state_ == State::Data) return Data(letter, value);
    if (letter == 'S') return SimReply::Refuse("data word outside a block");
    if (letter != 'U') return SimReply::Refuse(Letter(letter) + " where the LF240xA loader expects a 'U' word");
    return Control(value);
}

SimReply SimLf240xStream::Control(uint16_t value) {
    switch (state_) {
        case State::Destination:
            destination_ = value;
            state_ = State::Count;
            break;
        case State::Count:
            count_ = uint32_t{value} + 1;
            received_ = 0;
            state_ = State::Data;
            break;
        default:
            if (value > 1) return SimReply::Refuse("after a block only 'U' 0001 or 'U' 0000 may follow");
            state_ = value == 1 ? State::Destination : State::Ended;
            break;
    }
    return SimReply::Accept();
}

SimReply SimLf240xStream::Data(char letter, uint16_t value) {
    if (letter != 'S' && letter != 'Z') return SimReply::Refuse(Letter(letter) + " inside a data block");
    const bool last = received_ + 1 == count_;
    if (letter == 'Z' && !last) return WrongCount('Z', received_ + 1, count_);
    if (letter == 'S' && last) return SimReply::Refuse("the last word of a block came as 'S', not 'Z'");
    memory_[static_cast<uint16_t>(destination_ + received_)] = value;
    ++received_;
    if (letter == 'Z') state_ = State::Continue;
    return SimReply::Accept();
}

}  // namespace nembra
