#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "image/IntelHex.h"
#include "pod/PodRecords.h"
#include "sim/SimBootStream.h"
#include "sim/SimF281xFlash.h"
#include "sim/SimPod.h"
#include "sim/SimReply.h"

namespace nembra {

// The target board behind the pod: its boot loader, the flash algorithm the
// pod loads into it, its flash and its memory. Each call is one command the
// pod passes on; a command out of order is refused.
class SimTarget {
public:
    explicit SimTarget(const SimTiming& timing)
        : timing_(timing), programmed_(SimF281xFlash::kEnd - SimF281xFlash::kStart + 1, false) {}

    SimReply BootLf240x(uint32_t deviceCode);                          // "M"
    SimReply BootF281x(uint32_t deviceCode);                           // "N"
    SimReply LoadAlgorithm(uint32_t option, const CsmKeyTable& keys);  // "K"
    SimReply InitFlash();                                              // "O" 00
    SimReply Erase(uint32_t mask);                                     // "O" 01
    SimReply Program(uint32_t address, uint32_t count);                // "O" 02
    SimReply StreamWord(char letter, uint16_t value);                  // "U", "X", "Y", "Z", "S"
    SimReply Reset();                                                  // "R"

    // The host saw a command fail (refused, lost, garbled) and may give the
    // session up without "R".
    void Excuse() { excused_ = true; }
    // Called when the host closes the device: why the session it leaves
    // behind should have ended with "R", or empty. Reported once.
    std::string TakeMissingReset(const char* noticed);

    const SimF281xFlash& flash() const { return flash_; }
    const WordMap& memoryWritten() const { return memory_; }
    WordMap flashWritten() const;
    // 0 before any boot; else the device code of the last "M" or "N".
    uint8_t lastBootedCode() const { return lastBooted_; }
    bool optionUnlock() const { return csmOption_ == 1; }
    const CsmKeyTable& keys() const { return keys_; }

private:
    enum class Session { None, Lf240x, F281xBooted, F281xBootStream, F281xAlgorithm, F281xReady, Finished };

    struct Block {
        uint32_t address;
        uint32_t count;
    };

    SimReply DataWord(uint16_t value);
    bool RangeInFlash(uint32_t address, uint32_t count) const;
    SimReply NeedReady(const char* what) const;
    std::string BlockRefusal(uint32_t address, uint32_t count, size_t received) const;
    std::string FollowFault(uint32_t address) const;
    bool OwesReset() const;
    // A boot starts a new session: the old one is judged, the flash
    // algorithm's knowledge of erases and blocks is gone.
    std::string StartSession(Session session, uint32_t deviceCode);

    const SimTiming& timing_;
    Session session_ = Session::None;
    uint8_t lastBooted_ = 0;
    uint8_t csmOption_ = 0;
    CsmKeyTable keys_ = kNoPassword;
    SimF281xFlash flash_;
    WordMap memory_;                  // RAM and LF240xA words written
    std::vector<bool> programmed_;    // per flash word: programmed through the pod
    std::vector<uint16_t> staged_;    // "S" words of the next flash block
    std::optional<Block> lastBlock_;  // the last block programmed since boot
    bool programmedSinceBoot_ = false;
    bool excused_ = false;
    std::unique_ptr<SimF281xBootStream> bootStream_;
    std::unique_ptr<SimLf240xStream> lfStream_;
};

}  // namespace nembra
