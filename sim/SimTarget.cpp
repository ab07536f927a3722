#include "sim/SimTarget.h"

#include <bit>
#include <cstdio>
#include <string>

namespace nembra {

namespace {

// A block larger than the count field can say is never programmed.
constexpr size_t kMaxStagedWords = 0xFFFF;

std::string Hex(uint32_t value, int width) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", width, value);
    return text;
}

const char* DeviceName(uint8_t code) {
    switch (code) {
        case 3: return "F2810";
        case 4: return "F2811";
        default: return "F2812";
    }
}

uint16_t Unswap(uint16_t word) { return static_cast<uint16_t>((word << 8) | (word >> 8)); }

}  // namespace

SimReply SimTarget::BootLf240x(uint32_t deviceCode) {
    if (deviceCode != 1 && deviceCode != 2)
        return SimReply::Refuse("'M' boots an LF240xA (device code 1 or 2), not device code " + std::to_string(deviceCode));
    session_ = Session::Lf240x;
    lastBooted_ = static_cast<uint8_t>(deviceCode);
    lfStream_ = std::make_unique<SimLf240xStream>(memory_);
    // The pod boots the target and loads its flash algorithm in one go.
    return SimReply::Accept(timing_.bootMs + timing_.algorithmDownloadMs);
}

SimReply SimTarget::BootF281x(uint32_t deviceCode) {
    if (deviceCode < 3 || deviceCode > 5)
        return SimReply::Refuse("'N' boots an F281x (device code 3 to 5), not device code " + std::to_string(deviceCode));
    session_ = Session::F281xBooted;
    lastBooted_ = static_cast<uint8_t>(deviceCode);
    bootStream_ = std::make_unique<SimF281xBootStream>(memory_);
    staged_.clear();
    return SimReply::Accept(timing_.bootMs);
}

SimReply SimTarget::LoadAlgorithm(uint32_t option, const CsmKeyTable& keys) {
    if (session_ != Session::F281xBooted) return SimReply::Refuse("'K' must directly follow 'N'");
    if (option > 1) return SimReply::Refuse("'K' CSM option must be 0 or 1");
    const CsmKeyTable password = flash_.Password();
    if (password != kNoPassword && (option != 1 || keys != password))
        return SimReply::Refuse("the target's code security module stays locked: the keys do not match its password");
    csmOption_ = static_cast<uint8_t>(option);
    keys_ = keys;
    session_ = Session::F281xAlgorithm;
    return SimReply::Accept(timing_.algorithmDownloadMs);
}

SimReply SimTarget::InitFlash() {
    if (session_ != Session::F281xAlgorithm && session_ != Session::F281xReady)
        return SimReply::Refuse("'O' 00 before the flash algorithm was loaded with 'K'");
    session_ = Session::F281xReady;
    staged_.clear();
    return SimReply::Accept(timing_.flashInitMs);
}

SimReply SimTarget::NeedReady(const char* what) const {
    return SimReply::Refuse(std::string(what) + " before the flash was initialised with 'O' 00");
}

SimReply SimTarget::Erase(uint32_t mask) {
    if (session_ != Session::F281xReady) return NeedReady("'O' 01 erase");
    const uint16_t present = SimF281xFlash::SectorsOf(lastBooted_);
    if (mask == 0) return SimReply::Refuse("'O' 01 with an empty sector mask");
    if ((mask & ~uint32_t{present}) != 0)
        return SimReply::Refuse("sector mask " + Hex(mask, 4) + " names sectors the " + DeviceName(lastBooted_) + " lacks");
    flash_.EraseSectors(static_cast<uint16_t>(mask));
    return SimReply::Accept(timing_.sectorEraseMs * static_cast<uint32_t>(std::popcount(mask)));
}

bool SimTarget::RangeInFlash(uint32_t address, uint32_t count) const {
    const uint32_t start = SimF281xFlash::RegionStart(lastBooted_);
    return count > 0 && address >= start && address <= SimF281xFlash::kEnd &&
           count - 1 <= SimF281xFlash::kEnd - address;
}

SimReply SimTarget::Program(uint32_t address, uint32_t count) {
    if (session_ != Session::F281xReady) return NeedReady("'O' 02 program");
    // Whatever the outcome, the next block starts from no data words.
    std::vector<uint16_t> words;
    words.swap(staged_);
    const size_t received = words.size();
    if (count != received)
        return SimReply::Refuse("'O' 02 count " + std::to_string(count) + " but " + std::to_string(received) +
                                " data word(s) came since the last block");
    if (!RangeInFlash(address, count))
        return SimReply::Refuse("'O' 02 block " + Hex(address, 6) + " + " + std::to_string(count) + " word(s) lies outside the " +
                                DeviceName(lastBooted_) + "'s flash");
    for (uint32_t i = 0; i < count; ++i) {
        // The pod sends each word low byte first.
        flash_.Program(address + i, Unswap(words[i]));
        programmed_[address + i - SimF281xFlash::kStart] = true;
    }
    return SimReply::Accept(timing_.blockProgramMs * ((count + 39) / 40));
}

SimReply SimTarget::StreamWord(char letter, uint16_t value) {
    switch (session_) {
        case Session::Lf240x: {
            SimReply reply = lfStream_->Word(letter, value);
            if (reply.accepted && letter == 'Z') reply.workMs = timing_.blockProgramMs * 5;
            if (lfStream_->ended()) session_ = Session::Finished;
            return reply;
        }
        case Session::F281xBooted:
        case Session::F281xBootStream: {
            if (letter == 'S' && session_ == Session::F281xBooted) return SimReply::Refuse("data word outside a block");
            session_ = Session::F281xBootStream;
            SimReply reply = bootStream_->Word(letter, value);
            if (bootStream_->ended()) session_ = Session::Finished;
            return reply;
        }
        case Session::F281xReady:
            if (letter == 'S') return DataWord(value);
            return SimReply::Refuse(std::string("'") + letter + "' after the flash algorithm was loaded");
        case Session::F281xAlgorithm:
            return SimReply::Refuse(std::string("'") + letter + "' after the flash algorithm was loaded");
        default:
            if (letter == 'S') return SimReply::Refuse("data word outside a block");
            return SimReply::Refuse(std::string("'") + letter + "' with no boot session: 'M' or 'N' comes first");
    }
}

SimReply SimTarget::DataWord(uint16_t value) {
    if (staged_.size() >= kMaxStagedWords) return SimReply::Refuse("more data words than one block can hold");
    staged_.push_back(value);
    return SimReply::Accept();
}

SimReply SimTarget::Reset() {
    session_ = Session::None;
    staged_.clear();
    return SimReply::Accept(timing_.resetMs);
}

WordMap SimTarget::flashWritten() const {
    WordMap words;
    for (uint32_t i = 0; i < programmed_.size(); ++i)
        if (programmed_[i]) words[SimF281xFlash::kStart + i] = flash_.Word(SimF281xFlash::kStart + i);
    return words;
}

}  // namespace nembra
