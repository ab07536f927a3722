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

// The pod idles until the host's bytes come: its time never lags the host's.
void SimWire::HostWrite(uint64_t nowUs) {
    hostUs_ = nowUs;
    podUs_ = std::max(podUs_, static_cast<double>(nowUs));
}

void SimWire::ByteIn() {
    if (!timing_.zeroLatency) podUs_ += BytesUs(1);
}

uint64_t SimWire::Reply(uint64_t workUs, size_t replyBytes) {
    if (timing_.zeroLatency) return hostUs_;
    podUs_ += static_cast<double>(workUs) + BytesUs(replyBytes);
    const double arrivalUs = podUs_ + std::max(0.0, timing_.usbTurnaroundMs) * 1000.0;
    // Whole microseconds: the rounding stays below a microsecond per reply.
    return std::max(hostUs_, static_cast<uint64_t>(std::ceil(arrivalUs)));
}

}  // namespace nembra
