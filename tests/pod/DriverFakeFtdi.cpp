#include "tests/pod/DriverFakeFtdi.h"

#include <algorithm>
#include <cstring>

namespace nembra::testing {

namespace {
libusb_device* AsDevice(FakeFtdi::Chip* chip) { return reinterpret_cast<libusb_device*>(chip); }
FakeFtdi::Chip* AsChip(libusb_device* dev) { return reinterpret_cast<FakeFtdi::Chip*>(dev); }
}  // namespace

FakeFtdi::Context* FakeFtdi::Of(ftdi_context* c) const {
    for (const auto& ctx : contexts) {
        if (&ctx->ctx == c) {
            return ctx.get();
        }
    }
    return nullptr;
}

FakeFtdi::Context* FakeFtdi::OpenContext() const {
    for (const auto& ctx : contexts) {
        if (ctx->chip != nullptr) {
            return ctx.get();
        }
    }
    return nullptr;
}

int FakeFtdi::FindAll(ftdi_device_list** list, int vendor, int product) {
    if (listFailures > 0) {
        --listFailures;
        return -3;
    }
    *list = nullptr;
    ftdi_device_list** tail = list;
    int n = 0;
    for (const auto& chip : chips) {
        const bool wanted = (vendor == 0 && product == 0) ? chip->productId == 0x6001
                                                          : (vendor == 0x0403 && product == chip->productId);
        if (wanted) {
            *tail = new ftdi_device_list{nullptr, AsDevice(chip.get())};
            tail = &(*tail)->next;
            ++n;
        }
    }
    return n;
}

class FakeFtdi::Receiver : public UsbReceiver {
public:
    Receiver(FakeFtdi& fake, Chip& chip) : fake_(fake), chip_(chip) { ++fake_.receiversStarted; }
    ~Receiver() override { ++fake_.receiversStopped; }

    int Collect(uint32_t waitMs, std::deque<uint8_t>& into) override {
        ++fake_.collects;
        if (fake_.readError != 0) {
            return fake_.readError;
        }
        if (!TakeDue(into) && waitMs > 0) {
            const uint32_t until = fake_.clock_.NowMs() + waitMs;
            const auto& q = chip_.toHost;
            const bool comes = !q.empty() && static_cast<int32_t>(until - q.front().second) >= 0;
            fake_.clock_.AdvanceTo(comes ? q.front().second : until);
            TakeDue(into);
        }
        return 0;
    }

private:
    bool TakeDue(std::deque<uint8_t>& into) {
        auto& q = chip_.toHost;
        const size_t before = into.size();
        while (!q.empty() && static_cast<int32_t>(fake_.clock_.NowMs() - q.front().second) >= 0) {
            into.push_back(q.front().first);
            q.pop_front();
        }
        return into.size() > before;
    }

    FakeFtdi& fake_;
    Chip& chip_;
};

int FakeFtdi::Write(ftdi_context* c, const unsigned char* buf, int size) {
    Context* ctx = Of(c);
    Chip* chip = ctx->chip;
    chip->fromHost.insert(chip->fromHost.end(), buf, buf + size);
    if (chip->answerIdentify > 0 && size == 3 && buf[1] == 'I') {
        --chip->answerIdentify;
        Send(*chip, "!", clock_.NowMs() + 1);
    }
    return writeResult <= -2 ? size : writeResult;
}

LibFtdiApi FakeFtdi::Api() {
    LibFtdiApi api;
    api.newContext = [this] {
        contexts.push_back(std::make_unique<Context>());
        return &contexts.back()->ctx;
    };
    api.freeContext = [this](ftdi_context* c) {
        contexts.erase(std::find_if(contexts.begin(), contexts.end(), [&](const auto& x) { return &x->ctx == c; }));
    };
    api.usbFindAll = [this](ftdi_context*, ftdi_device_list** l, int v, int p) { return FindAll(l, v, p); };
    api.listFree = [](ftdi_device_list** list) {
        while (*list != nullptr) {
            ftdi_device_list* next = (*list)->next;
            delete *list;
            *list = next;
        }
    };
    api.usbGetDescription = [](ftdi_context*, libusb_device* dev, char* text, int size) {
        const Chip* chip = AsChip(dev);
        if (!chip->readable) {
            return -4;
        }
        std::strncpy(text, chip->description.c_str(), static_cast<size_t>(size));
        return 0;
    };
    api.usbGetSerial = [](ftdi_context*, libusb_device* dev, char* text, int size) {
        const Chip* chip = AsChip(dev);
        if (!chip->readable) {
            return -4;
        }
        std::strncpy(text, chip->serial.c_str(), static_cast<size_t>(size));
        return 0;
    };
    api.usbOpenDev = [this](ftdi_context* c, libusb_device* dev) {
        Chip* chip = AsChip(dev);
        if (chip->openResult == 0) {
            Of(c)->chip = chip;
        }
        return chip->openResult;
    };
    api.usbClose = [this](ftdi_context* c) {
        ++closes;
        Of(c)->chip = nullptr;
        return 0;
    };
    api.usbReset = [this](ftdi_context*) { return ++resets, 0; };
    api.tciflush = [this](ftdi_context*) { return ++iflush, 0; };
    api.tcoflush = [this](ftdi_context*) { return ++oflush, 0; };
    api.tcioflush = [this](ftdi_context*) { return ++ioflush, 0; };
    api.setBaudrate = [this](ftdi_context* c, int baud) { return Of(c)->baud = baud, 0; };
    api.setLineProperty = [this](ftdi_context* c, ftdi_bits_type b, ftdi_stopbits_type s, ftdi_parity_type p) {
        Context* x = Of(c);
        x->lineBits = b;
        x->lineStop = s;
        x->lineParity = p;
        return 0;
    };
    api.setFlowCtrl = [this](ftdi_context* c, int f) { return Of(c)->flow = f, 0; };
    api.setFlowCtrlXonXoff = [this](ftdi_context* c, unsigned char, unsigned char) {
        return Of(c)->flow = SIO_XON_XOFF_HS, 0;
    };
    api.setLatencyTimer = [this](ftdi_context* c, unsigned char t) { return Of(c)->latency = t, 0; };
    api.getLatencyTimer = [this](ftdi_context* c, unsigned char* t) { return *t = Of(c)->latency, 0; };
    api.writeData = [this](ftdi_context* c, const unsigned char* b, int n) { return Write(c, b, n); };
    api.startReceiver = [this](ftdi_context* c) -> std::unique_ptr<UsbReceiver> {
        return std::make_unique<Receiver>(*this, *Of(c)->chip);
    };
    api.setUsbTimeouts = [this](ftdi_context* c, int r, int w) {
        Of(c)->readTimeout = r;
        Of(c)->writeTimeout = w;
    };
    api.nowMs = [this] { return static_cast<uint64_t>(clock_.NowMs()); };
    return api;
}

}  // namespace nembra::testing
