#pragma once
#include <cstdint>
#include <deque>
#include <optional>
#include <string>

#include "sim/SimPod.h"
#include "sim/VirtualClock.h"
#include "tests/usbmodel/UsbModelControl.h"

namespace nembra::usbmodel {

// An FT232R as libftdi sees it over USB: its vendor requests, a bulk OUT
// endpoint whose bytes go out at the line rate into a simulated pod, and a
// bulk IN endpoint that sends 64-byte packets, each led by two modem-status
// bytes, as soon as 62 bytes are there or when the latency timer runs out.
class Ft232rChip : public ReplyQueue {
public:
    Ft232rChip(VirtualClock& clock, uint16_t productId, std::string product, std::string serial,
               SimPodOptions podOptions = {});

    // libusb results: >= 0 bytes moved, or a LIBUSB_ERROR_* code.
    int Control(uint8_t requestType, uint8_t request, uint16_t value, uint16_t index, uint8_t* data, uint16_t length);
    int BulkOut(const uint8_t* data, int length, int* transferred);
    int BulkIn(uint8_t* data, int length, int* transferred, unsigned timeoutMs);
    // One look at the IN endpoint for a transfer under way (`transferred`
    // bytes in so far): moves in the packets the chip sends by now. True when
    // the transfer has ended; otherwise `nextMs` is when something changes.
    bool ServeIn(uint8_t* data, int length, int* transferred, uint32_t& nextMs);
    void Claimed();
    void Released();
    bool Gone();
    // Pulled out when the bus's clock reaches this time.
    void PullOutAt(uint32_t atMs) { pullOutAtMs_ = atMs; }
    uint32_t BaudRate() const { return baud_; }

    void Push(uint8_t byte, uint32_t availableAtMs) override;

    const uint16_t productId;
    const std::string product;
    const std::string serial;
    ChipConditions conditions;
    SimPod pod;

private:
    struct Pending {
        uint8_t byte;
        uint32_t atMs;
    };
    bool LineMatchesPod() const;
    size_t Due() const;
    void Emit(uint8_t* data, int* transferred, size_t payload);
    int Vendor(uint8_t request, uint16_t value, uint16_t index);

    VirtualClock& clock_;
    std::deque<Pending> toHost_;
    uint32_t baud_ = 9600;
    uint16_t lineProperty_ = 0x0008;  // 8N1
    uint8_t latencyMs_ = 16;
    uint32_t lastPacketMs_ = 0;
    double drainUs_ = 0;  // FIFO drain time not yet spent on the clock
    long outBytes_ = 0;
    std::optional<uint32_t> pullOutAtMs_;
    bool unplugged_ = false;  // once pulled out, for good
};

}  // namespace nembra::usbmodel
