#include "sim/SimWire.h"

#include <algorithm>
#include <cmath>

namespace nembra {

namespace {

constexpr double kBaud = 921600.0;
constexpr double kBitsPerByte = 10.0;
constexpr double kByteUs = kBitsPerByte * 1e6 / kBaud;

double BytesUs(size_t count) { return static_cast<double>(count) * kByteUs; }

}  // namespace

void SimWire::HostWrite(uint32_t nowMs) {
    if (!started_) {
        started_ = true;
        lastHostMs_ = nowMs;
    }
    hostUs_ += static_cast<double>(nowMs - lastHostMs_) * 1000.0;
    lastHostMs_ = nowMs;
    podUs_ = std::max(podUs_, hostUs_);
}

void SimWire::ByteIn() {
    if (!timing_.zeroLatency) podUs_ += BytesUs(1);
}

uint32_t SimWire::Reply(uint32_t workMs, size_t replyBytes) {
    if (timing_.zeroLatency) return lastHostMs_;
    podUs_ += static_cast<double>(workMs) * 1000.0 + BytesUs(replyBytes);
    const double arrivalUs = podUs_ + std::max(0.0, timing_.usbTurnaroundMs) * 1000.0;
    const double aheadMs = std::ceil((arrivalUs - hostUs_) / 1000.0);
    return lastHostMs_ + static_cast<uint32_t>(aheadMs);
}

}  // namespace nembra
