#pragma once
#include <cstdint>
#include <string>

namespace nembra {

// The D2XX calls the pod link makes, with their published argument shapes.
using FT_STATUS = uint32_t;
using FT_HANDLE = void*;
using DWORD = uint32_t;
using ULONG = uint32_t;
using USHORT = uint16_t;
using UCHAR = uint8_t;

inline constexpr FT_STATUS FT_OK = 0;
inline constexpr FT_STATUS FT_INVALID_HANDLE = 1;
inline constexpr FT_STATUS FT_DEVICE_NOT_FOUND = 2;
inline constexpr FT_STATUS FT_DEVICE_NOT_OPENED = 3;
inline constexpr FT_STATUS FT_IO_ERROR = 4;
inline constexpr FT_STATUS FT_INVALID_PARAMETER = 6;
inline constexpr FT_STATUS FT_OTHER_ERROR = 18;

inline constexpr DWORD FT_LIST_NUMBER_ONLY = 0x80000000;
inline constexpr DWORD FT_LIST_BY_INDEX = 0x40000000;
inline constexpr DWORD FT_LIST_ALL = 0x20000000;
inline constexpr DWORD FT_OPEN_BY_SERIAL_NUMBER = 1;
inline constexpr DWORD FT_OPEN_BY_DESCRIPTION = 2;
inline constexpr DWORD FT_OPEN_BY_LOCATION = 4;

inline constexpr UCHAR FT_BITS_8 = 8;
inline constexpr UCHAR FT_STOP_BITS_1 = 0;
inline constexpr UCHAR FT_PARITY_NONE = 0;
inline constexpr USHORT FT_FLOW_NONE = 0x0000;
inline constexpr ULONG FT_PURGE_RX = 1;
inline constexpr ULONG FT_PURGE_TX = 2;

// Why the last FT_OpenEx failed, where a backend can tell; the user-facing
// message stays the same, but the command-line tool adds a hint.
enum class OpenFailureCause { None, Other, PermissionDenied, HeldByKernelDriver, HeldByAnotherProgram, Unplugged };

class FtdiDriver {
public:
    virtual ~FtdiDriver() = default;

    virtual FT_STATUS FT_ListDevices(void* pArg1, void* pArg2, DWORD Flags) = 0;
    virtual FT_STATUS FT_OpenEx(void* pArg1, DWORD Flags, FT_HANDLE* pHandle) = 0;
    virtual FT_STATUS FT_ResetDevice(FT_HANDLE ftHandle) = 0;
    virtual FT_STATUS FT_GetLatencyTimer(FT_HANDLE ftHandle, UCHAR* pucTimer) = 0;
    virtual FT_STATUS FT_SetLatencyTimer(FT_HANDLE ftHandle, UCHAR ucTimer) = 0;
    virtual FT_STATUS FT_SetBaudRate(FT_HANDLE ftHandle, ULONG BaudRate) = 0;
    virtual FT_STATUS FT_SetDataCharacteristics(FT_HANDLE ftHandle, UCHAR WordLength, UCHAR StopBits, UCHAR Parity) = 0;
    virtual FT_STATUS FT_SetFlowControl(FT_HANDLE ftHandle, USHORT FlowControl, UCHAR XonChar, UCHAR XoffChar) = 0;
    virtual FT_STATUS FT_SetTimeouts(FT_HANDLE ftHandle, ULONG ReadTimeout, ULONG WriteTimeout) = 0;
    virtual FT_STATUS FT_Purge(FT_HANDLE ftHandle, ULONG Mask) = 0;
    virtual FT_STATUS FT_Write(FT_HANDLE ftHandle, void* lpBuffer, DWORD dwBytesToWrite, DWORD* lpdwBytesWritten) = 0;
    virtual FT_STATUS FT_GetStatus(FT_HANDLE ftHandle, DWORD* dwRxBytes, DWORD* dwTxBytes, DWORD* dwEventDWord) = 0;
    virtual FT_STATUS FT_Read(FT_HANDLE ftHandle, void* lpBuffer, DWORD dwBytesToRead, DWORD* lpdwBytesReturned) = 0;
    virtual FT_STATUS FT_GetQueueStatus(FT_HANDLE ftHandle, DWORD* dwRxBytes) = 0;
    virtual FT_STATUS FT_Close(FT_HANDLE ftHandle) = 0;

    virtual OpenFailureCause LastOpenFailureCause() const { return OpenFailureCause::Other; }
    // Whether the open device has left the bus, asked after one of its calls
    // failed, so that an unplugged pod is told from a failing one; false
    // where a backend cannot tell.
    virtual bool DeviceGone(FT_HANDLE) { return false; }
    // Which backend this is ("libftd2xx", "libftdi1", "simulated"), for diagnostics.
    virtual std::string BackendName() const = 0;
};

}  // namespace nembra
