#include <cstdio>
#include <string>

#include "ops/Operations.h"
#include "pod/PodCommands.h"

namespace nembra {

namespace {

constexpr const char* kPodInfoFailed = "Fail to read KVL47Q POD Information";

std::string PodInfoLine(uint16_t version, const PodFileRecord& record) {
    const int major = version / 10;
    const int minor = version % 10;
    char text[128];
    if (record.stored())
        std::snprintf(text, sizeof text, "POD Ver: %d.%d, POD File Name: %s [when %s]", major, minor,
                      record.StoredName().c_str(), record.StoredDate().c_str());
    else
        std::snprintf(text, sizeof text, "POD Ver: %d.%d, No POD File Data", major, minor);
    return text;
}

}  // namespace

void RunTargetReset(OperationContext& ctx) {
    if (!ConnectPod(ctx)) return;
    const bool reset = ResetTarget(ctx.session.link);
    ctx.session.link.ClosePod();
    if (reset)
        ctx.status.ShowMessage("Target board's reset is successful", false);
    else
        ctx.status.ShowMessage("Fail to reset target board", true);
}

void RunPodInfo(OperationContext& ctx) {
    if (!ConnectPod(ctx)) return;
    PodLink& link = ctx.session.link;
    uint16_t& version = ctx.session.firmwareVersion;
    const bool answered = QueryPodVersion(link, version) && ReadPodInfo(link, ctx.session.podFileRecord);
    link.ClosePod();
    if (!answered || version == 0) {
        ctx.status.ShowMessage(kPodInfoFailed, true);
        return;
    }
    ctx.status.ShowMessage(PodInfoLine(version, ctx.session.podFileRecord), false);
}

}  // namespace nembra
