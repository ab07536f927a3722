#pragma once
#include <libftdi1/ftdi.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "pod/FtdiDriver.h"
#include "pod/UsbProducts.h"
#include "pod/UsbReceiver.h"

namespace nembra {

// The libftdi1 calls the adapter makes, held as a table so that the adapter
// can be exercised against fakes without hardware. The real table resolves
// every entry from libftdi1.so.2 at run time.
struct LibFtdiApi {
    std::function<ftdi_context*()> newContext;
    std::function<void(ftdi_context*)> freeContext;
    std::function<int(ftdi_context*, ftdi_device_list**, int, int)> usbFindAll;
    std::function<void(ftdi_device_list**)> listFree;
    // (context, device, description buffer, its size); manufacturer and serial are not asked for.
    std::function<int(ftdi_context*, libusb_device*, char*, int)> usbGetDescription;
    // The same for the serial number; empty: serial numbers are not asked for.
    std::function<int(ftdi_context*, libusb_device*, char*, int)> usbGetSerial;
    std::function<int(ftdi_context*, libusb_device*)> usbOpenDev;
    std::function<int(ftdi_context*)> usbClose;
    std::function<int(ftdi_context*)> usbReset;
    std::function<int(ftdi_context*)> tciflush;
    std::function<int(ftdi_context*)> tcoflush;
    std::function<int(ftdi_context*)> tcioflush;
    std::function<int(ftdi_context*, int)> setBaudrate;
    std::function<int(ftdi_context*, ftdi_bits_type, ftdi_stopbits_type, ftdi_parity_type)> setLineProperty;
    std::function<int(ftdi_context*, int)> setFlowCtrl;
    std::function<int(ftdi_context*, unsigned char, unsigned char)> setFlowCtrlXonXoff;
    std::function<int(ftdi_context*, unsigned char)> setLatencyTimer;
    std::function<int(ftdi_context*, unsigned char*)> getLatencyTimer;
    std::function<int(ftdi_context*, const unsigned char*, int)> writeData;
    // What the chip sends, fetched by transfers kept in flight (libusb's
    // asynchronous calls), in place of libftdi's reads, which fetch only when asked.
    UsbReceiverFactory startReceiver;
    // The product ids of every FTDI-vendor device libusb sees, for machines
    // without sysfs (empty function: none beyond sysfs's).
    std::function<std::vector<uint16_t>(ftdi_context*)> ftdiProductIds;
    // The USB-level time-outs of one transfer.
    std::function<void(ftdi_context*, int readMs, int writeMs)> setUsbTimeouts;
    // Monotonic milliseconds for the read time-out.
    std::function<uint64_t()> nowMs;
    // Keeps the shared library loaded while the table is in use.
    std::shared_ptr<void> library;
};

// The D2XX calls the pod link makes, carried out with libftdi1.
class LibFtdiDriver : public FtdiDriver {
public:
    LibFtdiDriver(LibFtdiApi api, ProductLister listProducts);
    ~LibFtdiDriver() override;
    LibFtdiDriver(const LibFtdiDriver&) = delete;
    LibFtdiDriver& operator=(const LibFtdiDriver&) = delete;

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
    std::string BackendName() const override { return "libftdi1"; }

private:
    struct Port {
        ftdi_context* ctx = nullptr;
        std::unique_ptr<UsbReceiver> receiver;  // started by the first read or count
        std::deque<uint8_t> received;           // fetched from the chip, not yet read
        uint32_t readTimeoutMs = 0;             // 0: wait for ever, as D2XX does
    };
    struct Listed {
        std::string description;
        std::string serial;
        bool openable;
        OpenFailureCause cause;  // why not, when not openable
    };
    // A device libftdi can reach, and how to open it.
    using DeviceVisitor = std::function<bool(ftdi_context*, libusb_device*, const std::string&)>;

    Port* Find(FT_HANDLE handle) const;
    void Enumerate();
    void VisitDevices(ftdi_context* ctx, const std::vector<UsbProduct>& products, const DeviceVisitor& visit);
    FT_STATUS OpenMatching(const std::string& wanted, bool bySerial, FT_HANDLE* pHandle);
    std::string SerialOf(ftdi_context* ctx, libusb_device* dev);
    OpenFailureCause CauseOfUnreachable(const std::string& description, const std::vector<UsbProduct>& products) const;
    void NoteUnreadable(int rc);
    UsbReceiver& ReceiverOf(Port& port);
    void DropReceived(Port& port);
    bool CountReceived(Port& port);
    bool AwaitReceived(Port& port, size_t wanted);

    LibFtdiApi api_;
    ProductLister listProducts_;
    std::vector<Listed> listing_;
    std::vector<std::unique_ptr<Port>> ports_;
    OpenFailureCause lastOpenFailure_ = OpenFailureCause::None;
    // FTDI devices of the last walk whose strings could not be read because
    // their open was refused, and sysfs did not name them either.
    int unnamedRefused_ = 0;
};

// The table resolved from libftdi1.so.2; nullopt when the library, one of
// its functions or a known version is missing (then `refusal` says why).
std::optional<LibFtdiApi> LoadLibFtdiApi(std::string* refusal = nullptr);

// Why a libftdi1 of this version cannot be used (the adapter reads fields of
// its context), or empty when it can.
std::string LibFtdiVersionRefusal(int major, int minor);

// Maps an ftdi_usb_open_dev result to the reason a user can act on.
OpenFailureCause CauseOfOpenError(int code);

}  // namespace nembra
