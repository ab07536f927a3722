#pragma once
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "pod/FtdiDriver.h"
#include "sim/SimPeer.h"
#include "sim/VirtualClock.h"

namespace nembra {

// An in-process FTDI device list behind the D2XX calls: each device has a
// description and, optionally, a peer (the simulated pod) at the other end of
// a byte pipe. Reads wait on the virtual clock: a reply byte due within the
// driver read time-out moves the clock to its arrival; none moves it by the
// whole time-out. Any call can be made to fail for tests.
class SimDevice : public FtdiDriver {
public:
    enum class Call {
        ListDevices,
        OpenEx,
        ResetDevice,
        GetLatencyTimer,
        SetLatencyTimer,
        SetBaudRate,
        SetDataCharacteristics,
        SetFlowControl,
        SetTimeouts,
        Purge,
        Write,
        GetStatus,
        Read,
        GetQueueStatus,
        Close,
    };

    explicit SimDevice(VirtualClock& clock);
    ~SimDevice() override;

    // Devices are enumerated in the order they are added. Returns the index.
    // The serial number is what FT_OpenEx by serial number matches; the
    // location the device reports is its index plus one.
    int AddDevice(const std::string& description, SimPeer* peer = nullptr, const std::string& serial = {});
    // Still listed, but opening it fails (with the given cause); while open,
    // every call on it but FT_Close fails with FT_IO_ERROR.
    void SetUnplugged(int index, bool unplugged);
    void SetOpenRefused(int index, OpenFailureCause cause);  // None: not refused

    // The call fails (status FT_IO_ERROR) after `after` more successful calls,
    // `times` times in a row (-1: for ever).
    void FailCall(Call call, int after = 0, int times = 1);
    void ClearFailures();
    int CallCount(Call call) const;

    // Every byte the host wrote, in order, and the latency timer's value.
    const std::vector<uint8_t>& written() const { return written_; }
    uint8_t latencyTimer() const { return latency_; }
    uint32_t baudRate() const { return baud_; }
    bool open() const { return openIndex_ >= 0; }
    // Received bytes the host has not read yet (due or not).
    size_t PendingReplyBytes() const { return rx_.size(); }
    // Queues bytes for the host as if the pod had sent them, due at the given time.
    void InjectReply(const std::vector<uint8_t>& bytes, uint32_t availableAtMs);
    // Written bytes stay in the transmit queue for this many virtual
    // milliseconds (0: gone when FT_Write returns, like a healthy link); each
    // FT_GetStatus that still finds them there takes 1 ms.
    void SetTransmitDelay(uint32_t ms) { txDelayMs_ = ms; }
    // FT_Write takes at most this many bytes and still reports success, as
    // D2XX does when its write time-out expires (0: no limit).
    void SetWriteLimit(DWORD maxBytes) { writeLimit_ = maxBytes; }
    // Read time-out last set with FT_SetTimeouts (0: wait for the next byte).
    uint32_t readTimeoutMs() const { return readTimeoutMs_; }

    // FtdiDriver
    FT_STATUS FT_ListDevices(void* pArg1, void* pArg2, DWORD Flags) override;
    FT_STATUS FT_OpenEx(void* pArg1, DWORD Flags, FT_HANDLE* pHandle) override;
    FT_STATUS FT_ResetDevice(FT_HANDLE ftHandle) override;
    FT_STATUS FT_GetLatencyTimer(FT_HANDLE ftHandle, UCHAR* pucTimer) override;
    FT_STATUS FT_SetLatencyTimer(FT_HANDLE ftHandle, UCHAR ucTimer) override;
    FT_STATUS FT_SetBaudRate(FT_HANDLE ftHandle, ULONG BaudRate) override;
    FT_STATUS FT_SetDataCharacteristics(FT_HANDLE ftHandle, UCHAR WordLength, UCHAR StopBits, UCHAR Parity) override;
    FT_STATUS FT_SetFlowControl(FT_HANDLE ftHandle, USHORT FlowControl, UCHAR XonChar, UCHAR XoffChar) override;
    FT_STATUS FT_SetTimeouts(FT_HANDLE ftHandle, ULONG ReadTimeout, ULONG WriteTimeout) override;
    FT_STATUS FT_Purge(FT_HANDLE ftHandle, ULONG Mask) override;
    FT_STATUS FT_Write(FT_HANDLE ftHandle, void* lpBuffer, DWORD dwBytesToWrite, DWORD* lpdwBytesWritten) override;
    FT_STATUS FT_GetStatus(FT_HANDLE ftHandle, DWORD* dwRxBytes, DWORD* dwTxBytes, DWORD* dwEventDWord) override;
    FT_STATUS FT_Read(FT_HANDLE ftHandle, void* lpBuffer, DWORD dwBytesToRead, DWORD* lpdwBytesReturned) override;
    FT_STATUS FT_GetQueueStatus(FT_HANDLE ftHandle, DWORD* dwRxBytes) override;
    FT_STATUS FT_Close(FT_HANDLE ftHandle) override;
    OpenFailureCause LastOpenFailureCause() const override { return lastOpenFailure_; }
    bool DeviceGone(FT_HANDLE ftHandle) override;
    std::string BackendName() const override { return "simulated"; }

private:
    struct Entry {
        std::string description;
        SimPeer* peer;
        std::string serial;
        bool unplugged = false;
        OpenFailureCause refused = OpenFailureCause::None;
    };
    struct Failure {
        int after;
        int times;
    };
    struct Pending {
        uint8_t byte;
        uint64_t availableAtUs;  // on the clock's microsecond line
    };
    class Queue;

    bool Fails(Call call);
    static bool Unplugged(const Entry& entry);
    bool HandleValid(FT_HANDLE handle) const;
    FT_STATUS Check(FT_HANDLE handle) const;
    size_t DueCount() const;
    bool WaitForByte(uint64_t startUs);
    int FindOpenable(const std::string& wanted, DWORD flags) const;
    FT_STATUS ListByIndex(uintptr_t index, void* out, DWORD field) const;
    void QueueReply(uint8_t byte, uint64_t availableAtUs);

    VirtualClock& clock_;
    std::vector<Entry> devices_;
    std::map<Call, Failure> failures_;
    std::map<Call, int> counts_;
    std::vector<uint8_t> written_;
    std::deque<Pending> rx_;
    int openIndex_ = -1;
    uint8_t latency_ = 16;
    uint32_t baud_ = 9600;
    uint32_t readTimeoutMs_ = 0;  // 0: the driver's default, wait for ever
    OpenFailureCause lastOpenFailure_ = OpenFailureCause::None;
    uintptr_t handleToken_ = 0;  // changes with every open, so stale handles fail
    uint32_t txDelayMs_ = 0;
    uint32_t txWrittenAtMs_ = 0;
    DWORD txPending_ = 0;
    DWORD writeLimit_ = 0;
};

}  // namespace nembra
