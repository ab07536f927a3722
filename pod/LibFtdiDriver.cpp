#include "pod/LibFtdiDriver.h"

#include <libusb-1.0/libusb.h>

#include <algorithm>
#include <climits>

namespace nembra {

namespace {

// A read without a time-out still wakes now and then to look at the clock.
constexpr uint32_t kEndlessWaitSliceMs = 100;

int ClampToInt(ULONG value) { return value > static_cast<ULONG>(INT_MAX) ? INT_MAX : static_cast<int>(value); }

FT_STATUS StatusOf(int rc) { return rc < 0 ? FT_IO_ERROR : FT_OK; }

}  // namespace

LibFtdiDriver::LibFtdiDriver(LibFtdiApi api, ProductLister listProducts)
    : api_(std::move(api)), listProducts_(std::move(listProducts)) {}

LibFtdiDriver::~LibFtdiDriver() {
    for (auto& port : ports_) {
        port->receiver.reset();
        api_.usbClose(port->ctx);
        api_.freeContext(port->ctx);
    }
}

LibFtdiDriver::Port* LibFtdiDriver::Find(FT_HANDLE handle) const {
    for (const auto& port : ports_) {
        if (port.get() == handle) {
            return port.get();
        }
    }
    return nullptr;
}

FT_STATUS LibFtdiDriver::FT_ResetDevice(FT_HANDLE ftHandle) {
    Port* port = Find(ftHandle);
    if (port == nullptr) {
        return FT_INVALID_HANDLE;
    }
    DropReceived(*port);
    return StatusOf(api_.usbReset(port->ctx));
}

FT_STATUS LibFtdiDriver::FT_GetLatencyTimer(FT_HANDLE ftHandle, UCHAR* pucTimer) {
    Port* port = Find(ftHandle);
    if (port == nullptr) {
        return FT_INVALID_HANDLE;
    }
    return pucTimer == nullptr ? FT_INVALID_PARAMETER : StatusOf(api_.getLatencyTimer(port->ctx, pucTimer));
}

FT_STATUS LibFtdiDriver::FT_SetLatencyTimer(FT_HANDLE ftHandle, UCHAR ucTimer) {
    Port* port = Find(ftHandle);
    return port == nullptr ? FT_INVALID_HANDLE : StatusOf(api_.setLatencyTimer(port->ctx, ucTimer));
}

FT_STATUS LibFtdiDriver::FT_SetBaudRate(FT_HANDLE ftHandle, ULONG BaudRate) {
    Port* port = Find(ftHandle);
    return port == nullptr ? FT_INVALID_HANDLE : StatusOf(api_.setBaudrate(port->ctx, ClampToInt(BaudRate)));
}

FT_STATUS LibFtdiDriver::FT_SetDataCharacteristics(FT_HANDLE ftHandle, UCHAR WordLength, UCHAR StopBits, UCHAR Parity) {
    Port* port = Find(ftHandle);
    if (port == nullptr) {
        return FT_INVALID_HANDLE;
    }
    // D2XX codes: stop bits 0 = one, 2 = two; parity 0..4 = none, odd, even, mark, space.
    if ((WordLength != 7 && WordLength != 8) || (StopBits != 0 && StopBits != 2) || Parity > 4) {
        return FT_INVALID_PARAMETER;
    }
    const auto bits = WordLength == 8 ? BITS_8 : BITS_7;
    const auto stop = StopBits == 0 ? STOP_BIT_1 : STOP_BIT_2;
    return StatusOf(api_.setLineProperty(port->ctx, bits, stop, static_cast<ftdi_parity_type>(Parity)));
}

FT_STATUS LibFtdiDriver::FT_SetFlowControl(FT_HANDLE ftHandle, USHORT FlowControl, UCHAR XonChar, UCHAR XoffChar) {
    Port* port = Find(ftHandle);
    if (port == nullptr) {
        return FT_INVALID_HANDLE;
    }
    // D2XX's flow-control codes are the chip's own request values.
    switch (FlowControl) {
        case SIO_DISABLE_FLOW_CTRL:
        case SIO_RTS_CTS_HS:
        case SIO_DTR_DSR_HS: return StatusOf(api_.setFlowCtrl(port->ctx, FlowControl));
        case SIO_XON_XOFF_HS: return StatusOf(api_.setFlowCtrlXonXoff(port->ctx, XonChar, XoffChar));
        default: return FT_INVALID_PARAMETER;
    }
}

FT_STATUS LibFtdiDriver::FT_SetTimeouts(FT_HANDLE ftHandle, ULONG ReadTimeout, ULONG WriteTimeout) {
    Port* port = Find(ftHandle);
    if (port == nullptr) {
        return FT_INVALID_HANDLE;
    }
    port->readTimeoutMs = ReadTimeout;
    api_.setUsbTimeouts(port->ctx, ClampToInt(ReadTimeout), ClampToInt(WriteTimeout));
    return FT_OK;
}

FT_STATUS LibFtdiDriver::FT_Purge(FT_HANDLE ftHandle, ULONG Mask) {
    Port* port = Find(ftHandle);
    if (port == nullptr) {
        return FT_INVALID_HANDLE;
    }
    const bool rx = (Mask & FT_PURGE_RX) != 0;
    const bool tx = (Mask & FT_PURGE_TX) != 0;
    if (rx) {
        DropReceived(*port);
    }
    if (rx && tx) {
        return StatusOf(api_.tcioflush(port->ctx));
    }
    if (rx) {
        return StatusOf(api_.tciflush(port->ctx));
    }
    return tx ? StatusOf(api_.tcoflush(port->ctx)) : FT_OK;
}

// ftdi_write_data returns once the bytes are on the bus, so nothing stays
// queued on the host. A short write is a failure: the pod would see half a frame.
FT_STATUS LibFtdiDriver::FT_Write(FT_HANDLE ftHandle, void* lpBuffer, DWORD dwBytesToWrite, DWORD* lpdwBytesWritten) {
    Port* port = Find(ftHandle);
    if (port == nullptr) {
        return FT_INVALID_HANDLE;
    }
    if ((lpBuffer == nullptr && dwBytesToWrite > 0) || dwBytesToWrite > static_cast<DWORD>(INT_MAX)) {
        return FT_INVALID_PARAMETER;
    }
    const int rc =
        api_.writeData(port->ctx, static_cast<const unsigned char*>(lpBuffer), static_cast<int>(dwBytesToWrite));
    if (lpdwBytesWritten != nullptr) {
        *lpdwBytesWritten = rc < 0 ? 0 : static_cast<DWORD>(rc);
    }
    return rc == static_cast<int>(dwBytesToWrite) ? FT_OK : FT_IO_ERROR;
}

UsbReceiver& LibFtdiDriver::ReceiverOf(Port& port) {
    if (!port.receiver) {
        port.receiver = api_.startReceiver(port.ctx);
    }
    return *port.receiver;
}

// Stops the transfers in flight first, so that nothing fetched before a
// purge or reset turns up after it; the next read starts them again.
void LibFtdiDriver::DropReceived(Port& port) {
    port.receiver.reset();
    port.received.clear();
}

// What has arrived, without waiting. A failed chip is reported once nothing
// it sent before is left to read.
bool LibFtdiDriver::CountReceived(Port& port) {
    return ReceiverOf(port).Collect(0, port.received) == 0 || !port.received.empty();
}

// Waits until `wanted` bytes are there or the read time-out has passed since
// the call began; false when the chip failed first.
bool LibFtdiDriver::AwaitReceived(Port& port, size_t wanted) {
    const uint64_t start = api_.nowMs();
    UsbReceiver& receiver = ReceiverOf(port);
    while (port.received.size() < wanted) {
        const uint64_t elapsed = api_.nowMs() - start;
        if (port.readTimeoutMs != 0 && elapsed >= port.readTimeoutMs) {
            return true;
        }
        const auto waitMs =
            port.readTimeoutMs == 0 ? kEndlessWaitSliceMs : static_cast<uint32_t>(port.readTimeoutMs - elapsed);
        if (receiver.Collect(waitMs, port.received) != 0) {
            return false;
        }
    }
    return true;
}

FT_STATUS LibFtdiDriver::FT_GetStatus(FT_HANDLE ftHandle, DWORD* dwRxBytes, DWORD* dwTxBytes, DWORD* dwEventDWord) {
    Port* port = Find(ftHandle);
    if (port == nullptr) {
        return FT_INVALID_HANDLE;
    }
    if (!CountReceived(*port)) {
        return FT_IO_ERROR;
    }
    if (dwRxBytes != nullptr) {
        *dwRxBytes = static_cast<DWORD>(port->received.size());
    }
    if (dwTxBytes != nullptr) {
        *dwTxBytes = 0;
    }
    if (dwEventDWord != nullptr) {
        *dwEventDWord = 0;
    }
    return FT_OK;
}

// As D2XX: what arrived within the read time-out, up to the count asked for.
FT_STATUS LibFtdiDriver::FT_Read(FT_HANDLE ftHandle, void* lpBuffer, DWORD dwBytesToRead, DWORD* lpdwBytesReturned) {
    Port* port = Find(ftHandle);
    if (port == nullptr) {
        return FT_INVALID_HANDLE;
    }
    if ((lpBuffer == nullptr && dwBytesToRead > 0) || lpdwBytesReturned == nullptr) {
        return FT_INVALID_PARAMETER;
    }
    const bool ok = AwaitReceived(*port, dwBytesToRead);
    const auto got = std::min<size_t>(dwBytesToRead, port->received.size());
    std::copy_n(port->received.begin(), got, static_cast<uint8_t*>(lpBuffer));
    port->received.erase(port->received.begin(), port->received.begin() + static_cast<long>(got));
    *lpdwBytesReturned = static_cast<DWORD>(got);
    return ok ? FT_OK : FT_IO_ERROR;
}

// As D2XX, from what the transfers in flight have already fetched: never a
// wait on the bus.
FT_STATUS LibFtdiDriver::FT_GetQueueStatus(FT_HANDLE ftHandle, DWORD* dwRxBytes) {
    Port* port = Find(ftHandle);
    if (port == nullptr) {
        return FT_INVALID_HANDLE;
    }
    if (dwRxBytes == nullptr) {
        return FT_INVALID_PARAMETER;
    }
    if (!CountReceived(*port)) {
        return FT_IO_ERROR;
    }
    *dwRxBytes = static_cast<DWORD>(port->received.size());
    return FT_OK;
}

// A chip pulled out ends the transfers in flight with libusb's "no device";
// any other failure is the bus's or the chip's, not an unplug.
bool LibFtdiDriver::DeviceGone(FT_HANDLE ftHandle) {
    Port* port = Find(ftHandle);
    if (port == nullptr) {
        return false;
    }
    return ReceiverOf(*port).Collect(0, port->received) == LIBUSB_ERROR_NO_DEVICE;
}

// libftdi releases the device even when releasing the interface reports an
// error, so the handle is gone either way.
FT_STATUS LibFtdiDriver::FT_Close(FT_HANDLE ftHandle) {
    Port* port = Find(ftHandle);
    if (port == nullptr) {
        return FT_INVALID_HANDLE;
    }
    port->receiver.reset();  // its transfers end before the device handle does
    api_.usbClose(port->ctx);
    api_.freeContext(port->ctx);
    ports_.erase(std::find_if(ports_.begin(), ports_.end(), [&](const auto& p) { return p.get() == port; }));
    return FT_OK;
}

}  // namespace nembra
