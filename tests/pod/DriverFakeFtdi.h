#pragma once
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "pod/LibFtdiDriver.h"
#include "sim/VirtualClock.h"

namespace nembra::testing {

// libftdi1 as the adapter sees it, over a few pretend FTDI chips, with time
// on a virtual clock: an empty USB read takes one latency period.
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
        std::deque<uint8_t> held;  // rest of the last USB packet, inside libftdi
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
    int readCalls = 0, usbReads = 0, iflush = 0, oflush = 0, ioflush = 0, resets = 0, closes = 0;
    int readError = 0;     // ftdi_read_data fails with this (0: works)
    int writeResult = -2;  // <= -2: write everything; otherwise the result
    int listFailures = 0;

private:
    int Read(ftdi_context* c, unsigned char* buf, int size);
    int Write(ftdi_context* c, const unsigned char* buf, int size);
    int FindAll(ftdi_device_list** list, int vendor, int product);
    VirtualClock& clock_;
};

}  // namespace nembra::testing
