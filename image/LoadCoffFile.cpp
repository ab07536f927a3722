#include "image/LoadCoffFile.h"

#include "image/CoffReader.h"

namespace nembra {
namespace {

// A list without a valid selection loads for the default device rather than
// for an index no device has.
DeviceType SelectedDeviceType(int selectedDevice) {
    if (selectedDevice < 0 || selectedDevice >= static_cast<int>(kDevices.size())) return kDefaultDeviceType;
    return static_cast<DeviceType>(selectedDevice);
}

}  // namespace

bool LoadCoffFile(LoadContext& ctx, const std::string& path, bool remember) {
    std::string storedName;
    if (!FindFileEntry(path, storedName)) {
        ctx.status.ShowMessage("The specified COFF file isn't exist", true);
        return false;
    }
    ctx.image.podFileName = PodFileNameFrom(storedName);
    ctx.deviceType = SelectedDeviceType(ctx.selectedDevice);

    const CoffResult result = ReadCoffFile(path, ctx.deviceType, ctx.image);
    if (result != CoffResult::Ok) {
        if (result == CoffResult::MemoryError && ctx.reportOutOfMemory) ctx.reportOutOfMemory();
        ctx.status.ShowMessage(CoffResultMessage(result), true);
        ClearImage(ctx.image, ctx.deviceType);
        ctx.image.imageLoaded = false;
        return false;
    }
    ComputeFlashSummary(ctx.image, ctx.deviceType);
    if (remember) ctx.recentFiles.AddRecentFile(path);
    ctx.status.ShowMessage(CoffResultMessage(result), false);
    ctx.image.imageLoaded = true;
    return true;
}

}  // namespace nembra
