#include "station/AccessHint.h"

namespace nembra::station {

std::string AccessHint(OpenFailureCause cause) {
    const char* why = nullptr;
    if (cause == OpenFailureCause::PermissionDenied) why = "this user may not open the KVL47Q POD's USB device";
    if (cause == OpenFailureCause::HeldByKernelDriver) {
        // The udev rule grants access; it does not unbind ftdi_sio.
        return "hint: the kernel's serial driver (ftdi_sio) holds the KVL47Q POD; unload it with"
               " \"sudo rmmod ftdi_sio\", or use --driver libftdi1 (or auto), which detaches it;"
               " see docs/pod-link.md.";
    }
    if (cause == OpenFailureCause::HeldByAnotherProgram) {
        // No rule helps here: the pod is free again once that program lets go.
        return "hint: another program holds the KVL47Q POD; close it and try again.";
    }
    if (why == nullptr) return {};
    return std::string("hint: ") + why +
           ". Install the udev rule packaging/60-kvl47q-pod.rules and re-plug the pod;"
           " see the README section \"Pod access (udev)\".";
}

std::string DriverLoadHint(const std::string& loadFailure, DriverChoice choice) {
    if (loadFailure.empty()) return {};
    const char* chosen = choice == DriverChoice::LibFtd2xx  ? "--driver libftd2xx: "
                         : choice == DriverChoice::LibFtdi1 ? "--driver libftdi1: "
                                                            : "";
    return std::string("hint: ") + chosen + loadFailure + ".";
}

}  // namespace nembra::station
