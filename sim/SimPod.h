#pragma once
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "image/IntelHex.h"
#include "sim/SimPeer.h"

namespace nembra {

// How long things take on the simulated pod and its target (the model keeps
// microseconds, so fractions add up, not round up). The defaults are a
// typical F281x at 150 MHz; docs/simulated-pod.md gives each figure's source.
struct SimTiming {
    bool zeroLatency = false;  // every reply due at once: the fastest tests
    // The rest is ignored when zeroLatency is set.
    double usbTurnaroundMs = 1.0;
    uint32_t bootMs = 800;
    uint32_t algorithmDownloadMs = 1500;
    uint32_t erase8kSectorMs = 10000;   // one 8K-word flash sector
    uint32_t erase16kSectorMs = 11000;  // one 16K-word flash sector
    uint32_t wordProgramUs = 50;        // one 16-bit flash word
    uint32_t pageWriteMs = 17;          // per 264-byte serial-flash page
    uint32_t flashInitMs = 20;          // "O" 00
    uint32_t resetMs = 20;              // "R"
};

struct SimPodOptions {
    SimTiming timing;
    // File the serial-flash store persists in; empty: kept in memory only.
    std::string storePath;
};

// Faults a test can arm on the simulated pod.
struct SimFault {
    // PulledOut: the pod is unplugged as the command arrives, which is lost.
    enum class Kind { NoReply, WrongFirstByte, SlowReply, StrayByteAfterReply, PulledOut };
    Kind kind;
    char letter;           // command letter the fault applies to
    int occurrence;        // 1 = the first such command after arming
    uint32_t delayMs = 0;  // SlowReply: extra delay
};

// The KVL47Q pod's firmware as far as the host can observe it, with a model
// of the target board behind it and its own serial flash.
class SimPod : public SimPeer {
public:
    explicit SimPod(SimPodOptions options = {});
    ~SimPod() override;
    // One pod, one serial flash: a copy would share (and free twice) its state.
    SimPod(const SimPod&) = delete;
    SimPod& operator=(const SimPod&) = delete;

    // SimPeer
    void OnHostWrite(const uint8_t* bytes, size_t count, uint32_t nowMs, ReplyQueue& replies) override;
    void OnHostWriteAtUs(const uint8_t* bytes, size_t count, uint64_t nowUs, ReplyQueue& replies) override;
    void OnOpen(uint32_t nowMs) override;
    void OnClose() override;
    bool PulledOut() const override;

    void ArmFault(const SimFault& fault);
    void ClearFaults();

    // Frames the pod refused (malformed, out of order), in plain words.
    const std::vector<std::string>& protocolErrors() const;

    // Target memory as written through the pod: F281x flash of the booted
    // device and every RAM or LF240xA word written.
    uint16_t TargetFlashWord(uint32_t address) const;
    WordMap TargetWordsWritten() const;
    // F281x: the whole flash region of the last booted device plus every RAM
    // word written; LF240xA: every word written.
    WordMap TargetImage() const;
    void WriteTargetHex(std::ostream& out) const;
    // Letters of commands received, in order (for tests of order).
    const std::string& commandLog() const;

    // The firmware version the pod reports ("KVL" and two digits).
    void SetVersionReply(const std::string& fiveChars);

private:
    struct Impl;
    Impl* impl_;
};

}  // namespace nembra
