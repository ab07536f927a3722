#include "pod/SysfsOpenCause.h"

#include <cstring>
#include <string>

#include "pod/DriverDecorator.h"

namespace nembra {

namespace {

constexpr size_t kTextBytes = 64;

class SysfsOpenCauseDriver : public DriverDecorator {
public:
    SysfsOpenCauseDriver(std::unique_ptr<FtdiDriver> inner, ProductLister listProducts)
        : DriverDecorator(std::move(inner)), listProducts_(std::move(listProducts)) {}

    FT_STATUS FT_OpenEx(void* a1, DWORD flags, FT_HANDLE* h) override {
        const FT_STATUS status = inner().FT_OpenEx(a1, flags, h);
        if (status == FT_OK) {
            cause_ = OpenFailureCause::None;
        } else if (a1 == nullptr || !listProducts_ ||
                   (flags != FT_OPEN_BY_DESCRIPTION && flags != FT_OPEN_BY_SERIAL_NUMBER)) {
            cause_ = OpenFailureCause::Other;
        } else {
            const char* text = static_cast<const char*>(a1);
            cause_ = CauseOfUnopened(listProducts_(), std::string(text, strnlen(text, kTextBytes)),
                                     flags == FT_OPEN_BY_SERIAL_NUMBER);
        }
        return status;
    }
    OpenFailureCause LastOpenFailureCause() const override { return cause_; }

private:
    ProductLister listProducts_;
    OpenFailureCause cause_ = OpenFailureCause::None;
};

}  // namespace

std::unique_ptr<FtdiDriver> WithSysfsOpenCause(std::unique_ptr<FtdiDriver> inner, ProductLister listProducts) {
    if (inner == nullptr) return nullptr;
    return std::make_unique<SysfsOpenCauseDriver>(std::move(inner), std::move(listProducts));
}

}  // namespace nembra
