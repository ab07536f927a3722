#pragma once
#include <memory>
#include <vector>

#include "pod/FtdiDriver.h"

namespace nembra {

// Two backends as one driver: FTDI's libftd2xx first, Debian's libftdi1
// when libftd2xx cannot open the pod for a cause libftdi1 can overcome (it
// detaches ftdi_sio, and it finds pods with a product id of their own).
// Each handle's calls go to the backend that opened it. The listing holds
// every device of the first backend and those only the second one sees.
class FallbackDriver : public FtdiDriver {
public:
    FallbackDriver(std::unique_ptr<FtdiDriver> primary, std::unique_ptr<FtdiDriver> fallback);

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
    // The backend that made the last open; before one, or after one that
    // failed, both names ("libftd2xx+libftdi1").
    std::string BackendName() const override;

private:
    struct Opened {
        FtdiDriver* backend;
        FT_HANDLE handle;  // the backend's own
    };
    struct Listed {
        FtdiDriver* backend;
        DWORD index;  // in the backend's own listing
    };

    Opened* Find(FT_HANDLE handle) const;
    template <typename Call>
    FT_STATUS Route(FT_HANDLE handle, Call call) const;
    FT_STATUS Enumerate();

    std::unique_ptr<FtdiDriver> primary_;
    std::unique_ptr<FtdiDriver> fallback_;
    std::vector<std::unique_ptr<Opened>> opened_;
    std::vector<Listed> listing_;
    FtdiDriver* lastOpener_ = nullptr;
    OpenFailureCause lastOpenFailure_ = OpenFailureCause::None;
};

}  // namespace nembra
