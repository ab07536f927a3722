#include "tests/usbmodel/Ft232rChip.h"

#include <libftdi1/ftdi.h>
#include <libusb-1.0/libusb.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace nembra::usbmodel {

namespace {

constexpr size_t kPacket = 64;
constexpr size_t kPayload = kPacket - 2;
constexpr size_t kTxFifo = 128;
constexpr uint8_t kModemStatus[2] = {0x01, 0x60};  // CTS and DSR up; transmitter empty
constexpr uint32_t kPodRate = 921600;
constexpr double kRateTolerance = 0.03;
constexpr uint16_t kEightNoneOne = 0x0008;

bool Reached(uint32_t now, uint32_t at) { return static_cast<int32_t>(now - at) >= 0; }

// The FT232R's divisor: 14 integer bits and a 3-bit fraction code, the
// code's top bit in the index; 0 and 1 are the chip's 3 and 2 Mbaud.
uint32_t DecodeBaud(uint16_t value, uint16_t index) {
    static constexpr double kFraction[8] = {0, 0.5, 0.25, 0.125, 0.375, 0.625, 0.75, 0.875};
    const uint32_t whole = value & 0x3FFFu;
    const unsigned code = (value >> 14) | ((index & 1u) << 2);
    if (whole == 0 && code == 0) return 3000000;
    if (whole == 1 && code == 0) return 2000000;
    return static_cast<uint32_t>(std::lround(3000000.0 / (whole + kFraction[code])));
}

}  // namespace

Ft232rChip::Ft232rChip(VirtualClock& clock, uint16_t id, std::string productText, std::string serialText,
                       SimPodOptions podOptions)
    : productId(id),
      product(std::move(productText)),
      serial(std::move(serialText)),
      pod(std::move(podOptions)),
      clock_(clock) {}

void Ft232rChip::Push(uint8_t byte, uint32_t availableAtMs) {
    if (!toHost_.empty() && !Reached(availableAtMs, toHost_.back().atMs)) availableAtMs = toHost_.back().atMs;
    toHost_.push_back(Pending{byte, availableAtMs});
}

void Ft232rChip::Claimed() { pod.OnOpen(clock_.NowMs()); }

void Ft232rChip::Released() { pod.OnClose(); }

// At another rate or framing the pod reads garbage; the model drops the bytes.
bool Ft232rChip::LineMatchesPod() const {
    const double off = std::fabs(static_cast<double>(baud_) - kPodRate) / kPodRate;
    return off <= kRateTolerance && lineProperty_ == kEightNoneOne;
}

int Ft232rChip::Vendor(uint8_t request, uint16_t value, uint16_t index) {
    switch (request) {
        case SIO_RESET_REQUEST:
            // 0 resets the chip; 2 empties what waits for the host; 1 what
            // waits for the line, which the model has already sent.
            if (value == SIO_RESET_SIO || value == SIO_TCIFLUSH) toHost_.clear();
            return 0;
        case SIO_SET_BAUDRATE_REQUEST: baud_ = DecodeBaud(value, index); return 0;
        case SIO_SET_DATA_REQUEST: lineProperty_ = value; return 0;
        case SIO_SET_LATENCY_TIMER_REQUEST:
            if (value < 1 || value > 255) return LIBUSB_ERROR_PIPE;
            latencyMs_ = static_cast<uint8_t>(value);
            return 0;
        case SIO_SET_FLOW_CTRL_REQUEST:
        case SIO_SET_MODEM_CTRL_REQUEST:
        case SIO_SET_EVENT_CHAR_REQUEST:
        case SIO_SET_ERROR_CHAR_REQUEST: return 0;
        default: return LIBUSB_ERROR_PIPE;  // the chip stalls what it does not know
    }
}

int Ft232rChip::Control(uint8_t requestType, uint8_t request, uint16_t value, uint16_t index, uint8_t* data,
                        uint16_t length) {
    if (Gone()) return LIBUSB_ERROR_NO_DEVICE;
    if (requestType == FTDI_DEVICE_OUT_REQTYPE) return Vendor(request, value, index);
    if (requestType != FTDI_DEVICE_IN_REQTYPE || data == nullptr) return LIBUSB_ERROR_PIPE;
    if (request == SIO_GET_LATENCY_TIMER_REQUEST && length >= 1) {
        data[0] = latencyMs_;
        return 1;
    }
    if (request == SIO_POLL_MODEM_STATUS_REQUEST && length >= 2) {
        std::memcpy(data, kModemStatus, 2);
        return 2;
    }
    return LIBUSB_ERROR_PIPE;
}

// The transfer ends when the last packet fits into the chip's transmit FIFO:
// what is beyond the FIFO's size has to leave on the line first.
int Ft232rChip::BulkOut(const uint8_t* data, int length, int* transferred) {
    *transferred = 0;
    if (Gone()) return LIBUSB_ERROR_NO_DEVICE;
    long count = length;
    const long limit = conditions.unplugAfterOutBytes;
    if (limit >= 0 && outBytes_ + count > limit) count = std::max(0L, limit - outBytes_);
    if (count > 0 && LineMatchesPod() && !conditions.podSilent) {
        pod.OnHostWrite(data, static_cast<size_t>(count), clock_.NowMs(), *this);
    }
    outBytes_ += count;
    *transferred = static_cast<int>(count);
    if (count < length) {
        unplugged_ = true;
        return LIBUSB_ERROR_NO_DEVICE;
    }
    const double byteUs = 10e6 / std::max<uint32_t>(baud_, 1);
    drainUs_ += static_cast<double>(std::max<long>(0, count - static_cast<long>(kTxFifo))) * byteUs;
    const auto wholeMs = static_cast<uint32_t>(drainUs_ / 1000.0);
    drainUs_ -= wholeMs * 1000.0;
    clock_.Advance(wholeMs);
    return 0;
}

size_t Ft232rChip::Due() const {
    size_t due = 0;
    while (due < toHost_.size() && Reached(clock_.NowMs(), toHost_[due].atMs)) ++due;
    return due;
}

void Ft232rChip::Emit(uint8_t* data, int* transferred, size_t payload) {
    uint8_t* packet = data + *transferred;
    std::memcpy(packet, kModemStatus, 2);
    for (size_t i = 0; i < payload; ++i) {
        packet[2 + i] = toHost_.front().byte;
        toHost_.pop_front();
    }
    *transferred += static_cast<int>(2 + payload);
    lastPacketMs_ = clock_.NowMs();
}

// Full packets go at once; a short one (down to the bare status bytes) when
// the latency timer runs out, and it ends the transfer, as on the bus.
bool Ft232rChip::ServeIn(uint8_t* data, int length, int* transferred, uint32_t& nextMs) {
    for (;;) {
        if (*transferred + static_cast<int>(kPacket) > length) return true;
        const size_t due = Due();
        if (due >= kPayload) {
            Emit(data, transferred, kPayload);
            continue;
        }
        const uint32_t deadline = lastPacketMs_ + latencyMs_;
        if (Reached(clock_.NowMs(), deadline)) {
            Emit(data, transferred, due);
            return true;
        }
        nextMs = deadline;
        if (toHost_.size() >= kPayload && !Reached(toHost_[kPayload - 1].atMs, nextMs)) {
            nextMs = toHost_[kPayload - 1].atMs;
        }
        if (pullOutAtMs_ && !Reached(*pullOutAtMs_, nextMs)) nextMs = *pullOutAtMs_;
        return false;
    }
}

int Ft232rChip::BulkIn(uint8_t* data, int length, int* transferred, unsigned timeoutMs) {
    *transferred = 0;
    const uint32_t start = clock_.NowMs();
    for (;;) {
        if (Gone()) return LIBUSB_ERROR_NO_DEVICE;
        uint32_t next = 0;
        if (ServeIn(data, length, transferred, next)) return *transferred > 0 ? 0 : LIBUSB_ERROR_OVERFLOW;
        if (timeoutMs != 0 && !Reached(start + timeoutMs, next)) {
            clock_.AdvanceTo(start + timeoutMs);
            return LIBUSB_ERROR_TIMEOUT;
        }
        clock_.AdvanceTo(next);
    }
}

bool Ft232rChip::Gone() {
    if (!unplugged_ && pullOutAtMs_ && Reached(clock_.NowMs(), *pullOutAtMs_)) unplugged_ = true;
    return unplugged_;
}

}  // namespace nembra::usbmodel
