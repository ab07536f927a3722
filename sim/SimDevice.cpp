#include "sim/SimDevice.h"

#include <algorithm>
#include <cstring>

namespace nembra {

namespace {

constexpr size_t kDescriptionBytes = 64;

}  // namespace

// Where the peer puts its reply bytes.
class SimDevice::Queue : public ReplyQueue {
public:
    explicit Queue(SimDevice& device) : device_(device) {}
    void Push(uint8_t byte, uint32_t availableAtMs) override {
        device_.QueueReply(byte, UsOfReading(availableAtMs, device_.clock_.NowUs()));
    }
    void PushAtUs(uint8_t byte, uint64_t availableAtUs) override { device_.QueueReply(byte, availableAtUs); }

private:
    SimDevice& device_;
};

SimDevice::SimDevice(VirtualClock& clock) : clock_(clock) {}

SimDevice::~SimDevice() = default;

int SimDevice::AddDevice(const std::string& description, SimPeer* peer, const std::string& serial) {
    devices_.push_back(Entry{description, peer, serial});
    return static_cast<int>(devices_.size()) - 1;
}

void SimDevice::SetUnplugged(int index, bool unplugged) {
    if (index >= 0 && static_cast<size_t>(index) < devices_.size()) {
        devices_[static_cast<size_t>(index)].unplugged = unplugged;
    }
}

void SimDevice::SetOpenRefused(int index, OpenFailureCause cause) {
    if (index >= 0 && static_cast<size_t>(index) < devices_.size()) {
        devices_[static_cast<size_t>(index)].refused = cause;
    }
}

void SimDevice::FailCall(Call call, int after, int times) { failures_[call] = Failure{after, times}; }

void SimDevice::ClearFailures() { failures_.clear(); }

int SimDevice::CallCount(Call call) const {
    const auto it = counts_.find(call);
    return it == counts_.end() ? 0 : it->second;
}

void SimDevice::InjectReply(const std::vector<uint8_t>& bytes, uint32_t availableAtMs) {
    const uint64_t atUs = UsOfReading(availableAtMs, clock_.NowUs());
    for (uint8_t b : bytes) {
        QueueReply(b, atUs);
    }
}

// The pipe keeps its order: a byte cannot overtake the one sent before it.
void SimDevice::QueueReply(uint8_t byte, uint64_t availableAtUs) {
    if (!rx_.empty()) {
        availableAtUs = std::max(availableAtUs, rx_.back().availableAtUs);
    }
    rx_.push_back(Pending{byte, availableAtUs});
}

bool SimDevice::Fails(Call call) {
    ++counts_[call];
    const auto it = failures_.find(call);
    if (it == failures_.end()) {
        return false;
    }
    Failure& f = it->second;
    if (f.after > 0) {
        --f.after;
        return false;
    }
    if (f.times > 0) {
        --f.times;
    }
    if (f.times == 0) {
        failures_.erase(it);
    }
    return true;
}

bool SimDevice::Unplugged(const Entry& entry) {
    return entry.unplugged || (entry.peer != nullptr && entry.peer->PulledOut());
}

bool SimDevice::HandleValid(FT_HANDLE handle) const {
    return openIndex_ >= 0 && handle == reinterpret_cast<FT_HANDLE>(handleToken_);
}

// A device pulled out while open fails every call but the close.
FT_STATUS SimDevice::Check(FT_HANDLE handle) const {
    if (!HandleValid(handle)) {
        return FT_INVALID_HANDLE;
    }
    return Unplugged(devices_[static_cast<size_t>(openIndex_)]) ? FT_IO_ERROR : FT_OK;
}

bool SimDevice::DeviceGone(FT_HANDLE ftHandle) {
    return HandleValid(ftHandle) && Unplugged(devices_[static_cast<size_t>(openIndex_)]);
}

size_t SimDevice::DueCount() const {
    size_t due = 0;
    for (const Pending& p : rx_) {
        if (p.availableAtUs > clock_.NowUs()) {
            break;
        }
        ++due;
    }
    return due;
}

FT_STATUS SimDevice::FT_ListDevices(void* pArg1, void* pArg2, DWORD Flags) {
    if (Fails(Call::ListDevices)) {
        return FT_IO_ERROR;
    }
    if (Flags == FT_LIST_NUMBER_ONLY) {
        if (pArg1 == nullptr) {
            return FT_INVALID_PARAMETER;
        }
        *static_cast<DWORD*>(pArg1) = static_cast<DWORD>(devices_.size());
        return FT_OK;
    }
    if ((Flags & FT_LIST_BY_INDEX) != 0) {
        return ListByIndex(reinterpret_cast<uintptr_t>(pArg1), pArg2, Flags & ~FT_LIST_BY_INDEX);
    }
    return FT_INVALID_PARAMETER;
}

// One device's description or serial number (a string of up to 64 bytes) or
// location (a DWORD), as D2XX lists them.
FT_STATUS SimDevice::ListByIndex(uintptr_t index, void* out, DWORD field) const {
    if (out == nullptr) {
        return FT_INVALID_PARAMETER;
    }
    if (field != FT_OPEN_BY_DESCRIPTION && field != FT_OPEN_BY_SERIAL_NUMBER && field != FT_OPEN_BY_LOCATION) {
        return FT_INVALID_PARAMETER;
    }
    if (index >= devices_.size()) {
        return FT_DEVICE_NOT_FOUND;
    }
    if (field == FT_OPEN_BY_LOCATION) {
        *static_cast<DWORD*>(out) = static_cast<DWORD>(index + 1);
        return FT_OK;
    }
    char* text = static_cast<char*>(out);
    std::memset(text, 0, kDescriptionBytes);
    const std::string& d = field == FT_OPEN_BY_SERIAL_NUMBER ? devices_[index].serial : devices_[index].description;
    std::memcpy(text, d.data(), std::min(d.size(), kDescriptionBytes - 1));
    return FT_OK;
}

// The first device with exactly this description (or serial number) that is
// still plugged in.
int SimDevice::FindOpenable(const std::string& wanted, DWORD flags) const {
    for (size_t i = 0; i < devices_.size(); ++i) {
        const std::string& name = flags == FT_OPEN_BY_SERIAL_NUMBER ? devices_[i].serial : devices_[i].description;
        if (!Unplugged(devices_[i]) && !wanted.empty() && name == wanted) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

FT_STATUS SimDevice::FT_OpenEx(void* pArg1, DWORD Flags, FT_HANDLE* pHandle) {
    lastOpenFailure_ = OpenFailureCause::Other;
    if (Fails(Call::OpenEx)) {
        return FT_IO_ERROR;
    }
    if (pArg1 == nullptr || pHandle == nullptr ||
        (Flags != FT_OPEN_BY_DESCRIPTION && Flags != FT_OPEN_BY_SERIAL_NUMBER)) {
        return FT_INVALID_PARAMETER;
    }
    const std::string wanted(static_cast<const char*>(pArg1),
                             strnlen(static_cast<const char*>(pArg1), kDescriptionBytes));
    const int index = FindOpenable(wanted, Flags);
    if (index < 0) {
        lastOpenFailure_ = OpenFailureCause::Unplugged;
        return FT_DEVICE_NOT_FOUND;
    }
    const Entry& entry = devices_[static_cast<size_t>(index)];
    if (entry.refused != OpenFailureCause::None) {
        lastOpenFailure_ = entry.refused;
        return FT_DEVICE_NOT_OPENED;
    }
    if (openIndex_ >= 0) {
        return FT_DEVICE_NOT_OPENED;  // the sim drives one open device at a time
    }
    openIndex_ = index;
    ++handleToken_;
    rx_.clear();
    txPending_ = 0;
    // The latency timer lives in the chip and keeps its value across opens.
    *pHandle = reinterpret_cast<FT_HANDLE>(handleToken_);
    lastOpenFailure_ = OpenFailureCause::None;
    if (entry.peer != nullptr) {
        entry.peer->OnOpen(clock_.NowMs());
    }
    return FT_OK;
}

FT_STATUS SimDevice::FT_ResetDevice(FT_HANDLE ftHandle) {
    if (Fails(Call::ResetDevice)) {
        return FT_IO_ERROR;
    }
    return Check(ftHandle);
}

FT_STATUS SimDevice::FT_GetLatencyTimer(FT_HANDLE ftHandle, UCHAR* pucTimer) {
    if (Fails(Call::GetLatencyTimer)) {
        return FT_IO_ERROR;
    }
    if (const FT_STATUS s = Check(ftHandle); s != FT_OK) {
        return s;
    }
    if (pucTimer == nullptr) {
        return FT_INVALID_PARAMETER;
    }
    *pucTimer = latency_;
    return FT_OK;
}

FT_STATUS SimDevice::FT_SetLatencyTimer(FT_HANDLE ftHandle, UCHAR ucTimer) {
    if (Fails(Call::SetLatencyTimer)) {
        return FT_IO_ERROR;
    }
    if (const FT_STATUS s = Check(ftHandle); s != FT_OK) {
        return s;
    }
    if (ucTimer == 0) {
        return FT_INVALID_PARAMETER;
    }
    latency_ = ucTimer;
    return FT_OK;
}

FT_STATUS SimDevice::FT_SetBaudRate(FT_HANDLE ftHandle, ULONG BaudRate) {
    if (Fails(Call::SetBaudRate)) {
        return FT_IO_ERROR;
    }
    if (const FT_STATUS s = Check(ftHandle); s != FT_OK) {
        return s;
    }
    baud_ = BaudRate;
    return FT_OK;
}

FT_STATUS SimDevice::FT_SetDataCharacteristics(FT_HANDLE ftHandle, UCHAR WordLength, UCHAR StopBits, UCHAR Parity) {
    if (Fails(Call::SetDataCharacteristics)) {
        return FT_IO_ERROR;
    }
    if (const FT_STATUS s = Check(ftHandle); s != FT_OK) {
        return s;
    }
    const bool valid = (WordLength == 7 || WordLength == 8) && (StopBits == 0 || StopBits == 2) && Parity <= 4;
    return valid ? FT_OK : FT_INVALID_PARAMETER;
}

FT_STATUS SimDevice::FT_SetFlowControl(FT_HANDLE ftHandle, USHORT, UCHAR, UCHAR) {
    if (Fails(Call::SetFlowControl)) {
        return FT_IO_ERROR;
    }
    return Check(ftHandle);
}

FT_STATUS SimDevice::FT_SetTimeouts(FT_HANDLE ftHandle, ULONG ReadTimeout, ULONG) {
    if (Fails(Call::SetTimeouts)) {
        return FT_IO_ERROR;
    }
    if (const FT_STATUS s = Check(ftHandle); s != FT_OK) {
        return s;
    }
    readTimeoutMs_ = ReadTimeout;
    return FT_OK;
}

FT_STATUS SimDevice::FT_Purge(FT_HANDLE ftHandle, ULONG Mask) {
    if (Fails(Call::Purge)) {
        return FT_IO_ERROR;
    }
    if (const FT_STATUS s = Check(ftHandle); s != FT_OK) {
        return s;
    }
    if ((Mask & FT_PURGE_RX) != 0) {
        rx_.clear();
    }
    if ((Mask & FT_PURGE_TX) != 0) {
        txPending_ = 0;
    }
    return FT_OK;
}

FT_STATUS SimDevice::FT_Write(FT_HANDLE ftHandle, void* lpBuffer, DWORD dwBytesToWrite, DWORD* lpdwBytesWritten) {
    if (Fails(Call::Write)) {
        return FT_IO_ERROR;
    }
    if (const FT_STATUS s = Check(ftHandle); s != FT_OK) {
        return s;
    }
    if (lpBuffer == nullptr && dwBytesToWrite > 0) {
        return FT_INVALID_PARAMETER;
    }
    if (writeLimit_ != 0 && dwBytesToWrite > writeLimit_) {
        dwBytesToWrite = writeLimit_;
    }
    const auto* bytes = static_cast<const uint8_t*>(lpBuffer);
    written_.insert(written_.end(), bytes, bytes + dwBytesToWrite);
    if (txDelayMs_ > 0) {
        txPending_ += dwBytesToWrite;
        txWrittenAtMs_ = clock_.NowMs();
    }
    if (lpdwBytesWritten != nullptr) {
        *lpdwBytesWritten = dwBytesToWrite;
    }
    SimPeer* peer = devices_[static_cast<size_t>(openIndex_)].peer;
    if (peer != nullptr && dwBytesToWrite > 0) {
        Queue replies(*this);
        peer->OnHostWriteAtUs(bytes, dwBytesToWrite, clock_.NowUs(), replies);
    }
    return FT_OK;
}

FT_STATUS SimDevice::FT_GetStatus(FT_HANDLE ftHandle, DWORD* dwRxBytes, DWORD* dwTxBytes, DWORD* dwEventDWord) {
    if (Fails(Call::GetStatus)) {
        return FT_IO_ERROR;
    }
    if (const FT_STATUS s = Check(ftHandle); s != FT_OK) {
        return s;
    }
    if (txPending_ > 0 && clock_.NowMs() - txWrittenAtMs_ >= txDelayMs_) {
        txPending_ = 0;
    }
    if (txPending_ > 0) {
        clock_.Advance(1);  // a status request is a USB round trip
    }
    if (dwRxBytes != nullptr) {
        *dwRxBytes = static_cast<DWORD>(DueCount());
    }
    if (dwTxBytes != nullptr) {
        *dwTxBytes = txPending_;
    }
    if (dwEventDWord != nullptr) {
        *dwEventDWord = 0;
    }
    return FT_OK;
}

// Waits on the virtual clock for the next reply byte, within the read
// time-out counted from `startUs`. False when it does not come in time.
bool SimDevice::WaitForByte(uint64_t startUs) {
    const uint64_t deadlineUs = startUs + uint64_t{readTimeoutMs_} * 1000;
    if (rx_.empty()) {
        if (readTimeoutMs_ != 0) {
            clock_.AdvanceToUs(deadlineUs);
        }
        return false;  // nothing is on its way: an endless wait would never end
    }
    const uint64_t arrivalUs = rx_.front().availableAtUs;
    if (readTimeoutMs_ == 0 || arrivalUs <= deadlineUs) {
        clock_.AdvanceToUs(arrivalUs);
        return true;
    }
    clock_.AdvanceToUs(deadlineUs);
    return false;
}

FT_STATUS SimDevice::FT_Read(FT_HANDLE ftHandle, void* lpBuffer, DWORD dwBytesToRead, DWORD* lpdwBytesReturned) {
    if (Fails(Call::Read)) {
        return FT_IO_ERROR;
    }
    if (const FT_STATUS s = Check(ftHandle); s != FT_OK) {
        return s;
    }
    if ((lpBuffer == nullptr && dwBytesToRead > 0) || lpdwBytesReturned == nullptr) {
        return FT_INVALID_PARAMETER;
    }
    auto* out = static_cast<uint8_t*>(lpBuffer);
    const uint64_t start = clock_.NowUs();
    DWORD got = 0;
    while (got < dwBytesToRead && WaitForByte(start)) {
        out[got++] = rx_.front().byte;
        rx_.pop_front();
    }
    *lpdwBytesReturned = got;
    return FT_OK;
}

FT_STATUS SimDevice::FT_GetQueueStatus(FT_HANDLE ftHandle, DWORD* dwRxBytes) {
    if (Fails(Call::GetQueueStatus)) {
        return FT_IO_ERROR;
    }
    if (const FT_STATUS s = Check(ftHandle); s != FT_OK) {
        return s;
    }
    if (dwRxBytes == nullptr) {
        return FT_INVALID_PARAMETER;
    }
    *dwRxBytes = static_cast<DWORD>(DueCount());
    return FT_OK;
}

FT_STATUS SimDevice::FT_Close(FT_HANDLE ftHandle) {
    if (Fails(Call::Close)) {
        return FT_IO_ERROR;
    }
    if (!HandleValid(ftHandle)) {
        return FT_INVALID_HANDLE;
    }
    SimPeer* peer = devices_[static_cast<size_t>(openIndex_)].peer;
    openIndex_ = -1;
    rx_.clear();
    txPending_ = 0;
    if (peer != nullptr) {
        peer->OnClose();
    }
    return FT_OK;
}

}  // namespace nembra
