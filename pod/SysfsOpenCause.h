#pragma once
#include <memory>

#include "pod/FtdiDriver.h"
#include "pod/UsbProducts.h"

namespace nembra {

// FTDI's libftd2xx tells only that an open failed. This driver asks the
// kernel's device list why (no permission on the node, ftdi_sio bound,
// another program's claim), so that its failures carry the causes that
// libftdi1's do.
std::unique_ptr<FtdiDriver> WithSysfsOpenCause(std::unique_ptr<FtdiDriver> inner, ProductLister listProducts);

}  // namespace nembra
