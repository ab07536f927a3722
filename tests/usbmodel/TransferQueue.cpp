#include "tests/usbmodel/TransferQueue.h"

#include <algorithm>

namespace nembra::usbmodel {

namespace {

bool Reached(uint32_t now, uint32_t at) { return static_cast<int32_t>(now - at) >= 0; }

}  // namespace

int TransferQueue::Submit(libusb_transfer* transfer, Ft232rChip* chip) {
    if (transfer->type != LIBUSB_TRANSFER_TYPE_BULK || (transfer->endpoint & LIBUSB_ENDPOINT_IN) == 0 ||
        transfer->timeout != 0) {
        return LIBUSB_ERROR_NOT_SUPPORTED;
    }
    const auto same = [transfer](const Pending& p) { return p.transfer == transfer; };
    if (std::any_of(pending_.begin(), pending_.end(), same)) return LIBUSB_ERROR_BUSY;
    if (chip->Gone()) return LIBUSB_ERROR_NO_DEVICE;
    transfer->actual_length = 0;
    pending_.push_back(Pending{transfer, chip});
    return LIBUSB_SUCCESS;
}

// As with libusb, the transfer finishes as cancelled at the next event handling.
int TransferQueue::Cancel(libusb_transfer* transfer) {
    const auto it =
        std::find_if(pending_.begin(), pending_.end(), [&](const Pending& p) { return p.transfer == transfer; });
    if (it == pending_.end()) return LIBUSB_ERROR_NOT_FOUND;
    it->cancelled = true;
    return LIBUSB_SUCCESS;
}

// The chip serves its oldest transfer; the others wait behind it.
bool TransferQueue::IsHead(size_t index) const {
    return std::none_of(pending_.begin(), pending_.begin() + static_cast<long>(index),
                        [&](const Pending& p) { return p.chip == pending_[index].chip; });
}

// Taken off the queue before its callback runs, which may submit it again.
void TransferQueue::Finish(size_t index, libusb_transfer_status status) {
    libusb_transfer* transfer = pending_[index].transfer;
    pending_.erase(pending_.begin() + static_cast<long>(index));
    transfer->status = status;
    if (transfer->callback != nullptr) transfer->callback(transfer);
}

// Finishes one transfer if one can finish now; otherwise lowers `nextMs` to
// the earliest time one may.
bool TransferQueue::FinishOne(uint32_t& nextMs) {
    for (size_t i = 0; i < pending_.size(); ++i) {
        Pending& p = pending_[i];
        if (p.cancelled || p.chip->Gone()) {
            Finish(i, p.cancelled ? LIBUSB_TRANSFER_CANCELLED : LIBUSB_TRANSFER_NO_DEVICE);
            return true;
        }
        if (!IsHead(i)) continue;
        libusb_transfer* t = p.transfer;
        uint32_t next = nextMs;
        if (p.chip->ServeIn(t->buffer, t->length, &t->actual_length, next)) {
            Finish(i, t->actual_length > 0 ? LIBUSB_TRANSFER_COMPLETED : LIBUSB_TRANSFER_OVERFLOW);
            return true;
        }
        if (!Reached(next, nextMs)) nextMs = next;
    }
    return false;
}

int TransferQueue::HandleEvents(unsigned timeoutMs, const int* completed) {
    const uint32_t deadline = clock_.NowMs() + timeoutMs;
    for (;;) {
        if (completed != nullptr && *completed != 0) return LIBUSB_SUCCESS;
        uint32_t next = deadline;
        bool finished = false;
        while (FinishOne(next)) {
            finished = true;
            next = deadline;
        }
        if (finished || timeoutMs == 0 || Reached(clock_.NowMs(), deadline)) return LIBUSB_SUCCESS;
        clock_.AdvanceTo(next);
    }
}

void TransferQueue::Freed(const libusb_transfer* transfer) {
    const auto it =
        std::find_if(pending_.begin(), pending_.end(), [&](const Pending& p) { return p.transfer == transfer; });
    if (it == pending_.end()) return;
    misuses_.push_back("a transfer was freed while in flight");
    pending_.erase(it);
}

void TransferQueue::Closed(const libusb_device_handle* handle) {
    const auto before = pending_.size();
    std::erase_if(pending_, [&](const Pending& p) { return p.transfer->dev_handle == handle; });
    if (pending_.size() != before) misuses_.push_back("a device was closed with a transfer in flight");
}

void TransferQueue::Clear() {
    pending_.clear();
    misuses_.clear();
}

}  // namespace nembra::usbmodel
