#include "ops/Operations.h"

namespace nembra {

bool ConnectPod(OperationContext& ctx) {
    PodLink& link = ctx.session.link;
    // Only a close the driver refused leaves the link open; it is used as is.
    if (link.connected()) return true;
    if (link.driverLibrary() == nullptr) {
        ctx.status.ShowMessage("Fail to load FTD2XX.DLL", true);
        return false;
    }
    if (!link.FindPod()) {
        ctx.status.ShowMessage("No Connection to KVL47Q POD", true);
        return false;
    }
    switch (link.OpenPod()) {
        case OpenResult::Opened: return true;
        case OpenResult::PodSilent: ctx.status.ShowMessage("Fail to initialize KVL47Q POD", true); return false;
        case OpenResult::PortFailed: break;
    }
    ctx.status.ShowMessage("Fail to open communication port", true);
    return false;
}

}  // namespace nembra
