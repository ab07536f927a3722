#include "sim/SimTarget.h"

#include <cstdio>
#include <string>

#include "pod/WordBytes.h"
#include "sim/SimFlashTiming.h"

namespace nembra {

namespace {

// The flash algorithm's buffer: one block of 40 data words.
constexpr uint32_t kFlashBlockWords = 40;

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

}  // namespace

std::string SimTarget::StartSession(Session session, uint32_t deviceCode) {
    std::string unfinished = TakeMissingReset("at the next boot");
    session_ = session;
    lastBooted_ = static_cast<uint8_t>(deviceCode);
    staged_.clear();
    flash_.ForgetErases();
    lastBlock_.reset();
    programmedSinceBoot_ = false;
    excused_ = false;
    return unfinished;
}

SimReply SimTarget::BootLf240x(uint32_t deviceCode) {
    if (deviceCode != 1 && deviceCode != 2)
        return SimReply::Refuse("'M' boots an LF240xA (device code 1 or 2), not device code " +
                                std::to_string(deviceCode));
    std::string unfinished = StartSession(Session::Lf240x, deviceCode);
    lfStream_ = std::make_unique<SimLf240xStream>(memory_);
    // The pod boots the target and loads its flash algorithm in one go.
    return SimReply::AcceptNoting(std::move(unfinished), timing_.bootMs + timing_.algorithmDownloadMs);
}

SimReply SimTarget::BootF281x(uint32_t deviceCode) {
    if (deviceCode < 3 || deviceCode > 5)
        return SimReply::Refuse("'N' boots an F281x (device code 3 to 5), not device code " +
                                std::to_string(deviceCode));
    std::string unfinished = StartSession(Session::F281xBooted, deviceCode);
    bootStream_ = std::make_unique<SimF281xBootStream>(memory_);
    return SimReply::AcceptNoting(std::move(unfinished), timing_.bootMs);
}

// Once the LF240xA stream has ended, or a flash block has been programmed
// and no other is under way, all that is left of the session is "R". A host
// that saw a command fail may give up without it.
bool SimTarget::OwesReset() const {
    if (excused_) return false;
    if (session_ == Session::Finished) return lastBooted_ == 1 || lastBooted_ == 2;
    return session_ == Session::F281xReady && programmedSinceBoot_ && staged_.empty();
}

std::string SimTarget::TakeMissingReset(const char* noticed) {
    if (!OwesReset()) return {};
    excused_ = true;  // reported once, at close or at the next boot
    return std::string("the session ended without 'R' (noticed ") + noticed +
           "): the target was left running the pod's code";
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

// The flash algorithm erases whatever it is told to; erasing after
// programming wipes words just written, so it is carried out but noted.
SimReply SimTarget::Erase(uint32_t mask) {
    if (session_ != Session::F281xReady) return NeedReady("'O' 01 erase");
    const uint16_t present = SimF281xFlash::SectorsOf(lastBooted_);
    if (mask == 0) return SimReply::Refuse("'O' 01 with an empty sector mask");
    if ((mask & ~uint32_t{present}) != 0)
        return SimReply::Refuse("sector mask " + Hex(mask, 4) + " names sectors the " + DeviceName(lastBooted_) +
                                " lacks");
    flash_.EraseSectors(static_cast<uint16_t>(mask));
    const uint32_t workMs = EraseWorkMs(timing_, static_cast<uint16_t>(mask));
    if (!programmedSinceBoot_) return SimReply::Accept(workMs);
    return SimReply::AcceptNoting(
        "'O' 01 erase of sector mask " + Hex(mask, 4) + " after flash was programmed: the erase comes before any block",
        workMs);
}

bool SimTarget::RangeInFlash(uint32_t address, uint32_t count) const {
    const uint32_t start = SimF281xFlash::RegionStart(lastBooted_);
    return count > 0 && address >= start && address <= SimF281xFlash::kEnd &&
           count - 1 <= SimF281xFlash::kEnd - address;
}

// What the flash algorithm refuses: more words than its buffer holds, a
// count that differs from the words received, a block outside the device's
// flash or on words not erased since the target was booted.
std::string SimTarget::BlockRefusal(uint32_t address, uint32_t count, size_t received) const {
    const std::string block = "'O' 02 block " + Hex(address, 6) + " + " + std::to_string(count) + " word(s)";
    if (count > kFlashBlockWords)
        return block + ": the flash algorithm takes at most " + std::to_string(kFlashBlockWords) + " words a block";
    if (count != received)
        return "'O' 02 count " + std::to_string(count) + " but " + std::to_string(received) +
               " data word(s) came since the last block";
    if (!RangeInFlash(address, count)) return block + " lies outside the " + DeviceName(lastBooted_) + "'s flash";
    if (!flash_.ErasedSinceBoot(address, count))
        return block + " programs flash not erased since the target was booted";
    return {};
}

// A section goes out as blocks of 40 words, only its last one shorter, each
// starting where the one before ended. A block that starts inside the full
// block before it, or at most one block past its end, can only be that
// section's next block sent to the wrong place; farther off, or after a
// short block, another section begins.
std::string SimTarget::FollowFault(uint32_t address) const {
    if (!lastBlock_ || lastBlock_->count < kFlashBlockWords) return {};
    const uint32_t end = lastBlock_->address + lastBlock_->count;
    if (address == end || address < lastBlock_->address || address > end + kFlashBlockWords) return {};
    return "'O' 02 block " + Hex(address, 6) + " does not follow the previous block of its section, which ended at " +
           Hex(end, 6);
}

SimReply SimTarget::Program(uint32_t address, uint32_t count) {
    if (session_ != Session::F281xReady) return NeedReady("'O' 02 program");
    // Whatever the outcome, the next block starts from no data words.
    std::vector<uint16_t> words;
    words.swap(staged_);
    const std::string refusal = BlockRefusal(address, count, words.size());
    if (!refusal.empty()) return SimReply::Refuse(refusal);
    std::string misplaced = FollowFault(address);
    for (uint32_t i = 0; i < count; ++i) {
        // The pod sends each word low byte first.
        flash_.Program(address + i, SwapWordBytes(words[i]));
        programmed_[address + i - SimF281xFlash::kStart] = true;
    }
    programmedSinceBoot_ = true;
    lastBlock_ = Block{address, count};
    SimReply reply = SimReply::AcceptNoting(std::move(misplaced));
    reply.workUs = static_cast<uint32_t>(ProgramWorkUs(timing_, count));
    return reply;
}

SimReply SimTarget::StreamWord(char letter, uint16_t value) {
    switch (session_) {
        case Session::Lf240x: {
            SimReply reply = lfStream_->Word(letter, value);
            if (reply.accepted && letter == 'Z')
                reply.workUs = static_cast<uint32_t>(ProgramWorkUs(timing_, lfStream_->blockWords()));
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
    if (staged_.size() >= kFlashBlockWords)
        return SimReply::Refuse("data word " + std::to_string(staged_.size() + 1) +
                                " of a block: the flash algorithm takes at most 40 words a block");
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
