#include <libftdi1/ftdi.h>
#include <libusb-1.0/libusb.h>

#include <algorithm>
#include <array>
#include <vector>

#include "pod/DlSymbol.h"
#include "pod/UsbReceiver.h"

namespace nembra {

namespace {

// Four transfers of 4 KiB: at 921600 baud the chip sends at most about two
// packets a millisecond, and each transfer ends at the first short packet,
// so four cover several latency periods in which nobody handles events.
constexpr int kTransfers = 4;
constexpr int kTransferBytes = 4096;  // a whole number of packets of any FTDI chip
constexpr int kStatusBytes = 2;       // leading every packet
constexpr unsigned kDefaultPacketBytes = 64;
// A cancelled transfer finishes at once on a working bus; a second is the
// most close or purge waits for it.
constexpr int kStopRounds = 10;
constexpr uint32_t kStopWaitMs = 100;

struct LibusbCalls {
    decltype(&libusb_alloc_transfer) alloc;
    decltype(&libusb_free_transfer) free;
    decltype(&libusb_submit_transfer) submit;
    decltype(&libusb_cancel_transfer) cancel;
    decltype(&libusb_handle_events_timeout_completed) handleEvents;
    std::shared_ptr<void> library;  // keeps the functions loaded
};

class LibusbReceiver final : public UsbReceiver {
public:
    LibusbReceiver(LibusbCalls usb, ftdi_context* ctx);
    ~LibusbReceiver() override;
    LibusbReceiver(const LibusbReceiver&) = delete;
    LibusbReceiver& operator=(const LibusbReceiver&) = delete;

    int Collect(uint32_t waitMs, std::deque<uint8_t>& into) override;

private:
    struct Slot {
        LibusbReceiver* owner = nullptr;
        libusb_transfer* transfer = nullptr;
        bool inFlight = false;
        std::array<unsigned char, kTransferBytes> buffer{};
    };
    static void LIBUSB_CALL Finished(libusb_transfer* transfer);
    void OnFinished(Slot& slot);
    void Submit(Slot& slot);
    void TakePayload(const libusb_transfer& transfer);
    bool AnyInFlight() const;
    int HandleEvents(uint32_t waitMs);

    LibusbCalls usb_;
    ftdi_context* ctx_;
    unsigned packetBytes_;
    std::vector<std::unique_ptr<Slot>> slots_;
    std::deque<uint8_t> arrived_;  // payload of finished transfers, not yet collected
    int failure_ = 0;
    bool stopping_ = false;
};

LibusbReceiver::LibusbReceiver(LibusbCalls usb, ftdi_context* ctx)
    : usb_(std::move(usb)),
      ctx_(ctx),
      packetBytes_(ctx->max_packet_size > 0 ? ctx->max_packet_size : kDefaultPacketBytes) {
    for (int i = 0; i < kTransfers && failure_ == 0; ++i) {
        auto slot = std::make_unique<Slot>();
        slot->owner = this;
        slot->transfer = usb_.alloc(0);
        if (slot->transfer == nullptr) {
            failure_ = LIBUSB_ERROR_NO_MEM;
            break;
        }
        slots_.push_back(std::move(slot));
        Submit(*slots_.back());
    }
}

// libusb may still write into a transfer that has not finished: such a slot
// is left allocated rather than freed under it, and forgets its owner so a
// late completion touches nothing that is gone.
LibusbReceiver::~LibusbReceiver() {
    stopping_ = true;
    for (const auto& slot : slots_) {
        if (slot->inFlight) usb_.cancel(slot->transfer);
    }
    for (int round = 0; round < kStopRounds && AnyInFlight(); ++round) {
        HandleEvents(kStopWaitMs);
    }
    for (auto& slot : slots_) {
        if (slot->inFlight) {
            slot->owner = nullptr;
            static_cast<void>(slot.release());
        } else {
            usb_.free(slot->transfer);
        }
    }
}

bool LibusbReceiver::AnyInFlight() const {
    for (const auto& slot : slots_) {
        if (slot->inFlight) return true;
    }
    return false;
}

// libftdi names the chip's IN endpoint its out_ep; transfers wait without a
// time-out of their own, since the chip ends each one within a latency period.
void LibusbReceiver::Submit(Slot& slot) {
    libusb_fill_bulk_transfer(slot.transfer, ctx_->usb_dev, static_cast<unsigned char>(ctx_->out_ep),
                              slot.buffer.data(), kTransferBytes, &LibusbReceiver::Finished, &slot, 0);
    const int rc = usb_.submit(slot.transfer);
    slot.inFlight = rc == 0;
    if (rc < 0) failure_ = rc;
}

void LIBUSB_CALL LibusbReceiver::Finished(libusb_transfer* transfer) {
    auto* slot = static_cast<Slot*>(transfer->user_data);
    if (slot->owner != nullptr) slot->owner->OnFinished(*slot);
}

// Every packet starts with the chip's two modem-status bytes.
void LibusbReceiver::TakePayload(const libusb_transfer& transfer) {
    const auto length = static_cast<unsigned>(transfer.actual_length);
    for (unsigned packet = 0; packet < length; packet += packetBytes_) {
        const unsigned end = std::min(packet + packetBytes_, length);
        for (unsigned i = packet + kStatusBytes; i < end; ++i) arrived_.push_back(transfer.buffer[i]);
    }
}

// While stopping, what a transfer brings is dropped: a purge or close discards it.
void LibusbReceiver::OnFinished(Slot& slot) {
    slot.inFlight = false;
    const libusb_transfer& t = *slot.transfer;
    if (stopping_) return;
    switch (t.status) {
        case LIBUSB_TRANSFER_COMPLETED:
        case LIBUSB_TRANSFER_TIMED_OUT:
            TakePayload(t);
            if (failure_ == 0) Submit(slot);
            return;
        case LIBUSB_TRANSFER_NO_DEVICE: failure_ = LIBUSB_ERROR_NO_DEVICE; return;
        default: failure_ = LIBUSB_ERROR_IO; return;
    }
}

int LibusbReceiver::HandleEvents(uint32_t waitMs) {
    timeval tv{};
    tv.tv_sec = static_cast<time_t>(waitMs / 1000);
    tv.tv_usec = static_cast<suseconds_t>((waitMs % 1000) * 1000);
    return usb_.handleEvents(ctx_->usb_ctx, &tv, nullptr);
}

int LibusbReceiver::Collect(uint32_t waitMs, std::deque<uint8_t>& into) {
    if (failure_ == 0) {
        const int rc = HandleEvents(arrived_.empty() ? waitMs : 0);
        if (rc < 0 && rc != LIBUSB_ERROR_INTERRUPTED) failure_ = rc;
    }
    into.insert(into.end(), arrived_.begin(), arrived_.end());
    arrived_.clear();
    return failure_;
}

}  // namespace

UsbReceiverFactory LibusbReceivers(std::shared_ptr<void> usbLibrary) {
    LibusbCalls usb{};
    void* lib = usbLibrary.get();
    if (lib == nullptr || !ResolveSymbol(lib, "libusb_alloc_transfer", usb.alloc) ||
        !ResolveSymbol(lib, "libusb_free_transfer", usb.free) ||
        !ResolveSymbol(lib, "libusb_submit_transfer", usb.submit) ||
        !ResolveSymbol(lib, "libusb_cancel_transfer", usb.cancel) ||
        !ResolveSymbol(lib, "libusb_handle_events_timeout_completed", usb.handleEvents)) {
        return {};
    }
    usb.library = std::move(usbLibrary);
    return
        [usb](ftdi_context* ctx) -> std::unique_ptr<UsbReceiver> { return std::make_unique<LibusbReceiver>(usb, ctx); };
}

}  // namespace nembra
