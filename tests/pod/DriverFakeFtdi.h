#pragma once
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "pod/LibFtdiDriver.h"
#include "sim/VirtualClock.h"

namespace nembra::testing {

// libftdi1 as the adapter sees it, over a few pretend FTDI chips, with time
// on a virtual clock: the receiver hands over every byte due by now, and its
// wait moves the clock to the next byte or by the whole wait.
class FakeFtdi {
public:
    struct Chip {
        std::string description;
        std::string serial;
        uint16_t productId = 0x6001;
        bool readable = true;  // its strings can be read (device node open to us)
        int openResult = 0;
        std::deque<std::pair<uint8_t, uint32_t>> toHost;  // byte, virtual arrival time
        std::vector<uint8_t> fromHost;
        int answerIdentify = 0;  // reply '!' to this many identify frames
    };
    struct Context {
        ftdi_context ctx{};
        Chip* chip = nullptr;
        unsigned char latency = 16;
        int baud = 9600;
        int lineBits = 0, lineStop = -1, lineParity = -1, flow = -1;
        int readTimeout = 5000, writeTimeout = 5000;
    };

    explicit FakeFtdi(VirtualClock& clock) : clock_(clock) {}

    Chip& AddChip(const std::string& description) {
        chips.push_back(std::make_unique<Chip>());
        chips.back()->description = description;
        return *chips.back();
    }
    void Send(Chip& chip, const std::string& bytes, uint32_t atMs) {
        for (char c : bytes) {
            chip.toHost.emplace_back(static_cast<uint8_t>(c), atMs);
        }
    }
    LibFtdiApi Api();
    Context* Of(ftdi_context* c) const;
    Context* OpenContext() const;

    std::vector<std::unique_ptr<Chip>> chips;
    std::vector<std::unique_ptr<Context>> contexts;  // alive ones
    int collects = 0, receiversStarted = 0, receiversStopped = 0;
    int iflush = 0, oflush = 0, ioflush = 0, resets = 0, closes = 0;
    int readError = 0;     // the receiver fails with this (0: works)
    int writeResult = -2;  // <= -2: write everything; otherwise the result
    int listFailures = 0;

private:
    class Receiver;
    int Write(ftdi_context* c, const unsigned char* buf, int size);
    int FindAll(ftdi_device_list** list, int vendor, int product);
    VirtualClock& clock_;
};

}  // namespace nembra::testing
