#include "image/LoadCoffFile.h"

#include "image/FileBytes.h"
#include "image/ProgramLoad.h"

namespace nembra {
namespace {

// A list without a valid selection loads for the default device rather than
// for an index no device has.
DeviceType SelectedDeviceType(int selectedDevice) {
    if (selectedDevice < 0 || selectedDevice >= static_cast<int>(kDevices.size())) return kDefaultDeviceType;
    return static_cast<DeviceType>(selectedDevice);
}

// A refused Load leaves an empty image, whatever the reader had stored.
LoadResult RefuseLoad(LoadContext& ctx, const std::string& message) {
    ctx.status.ShowMessage(message, true);
    ClearImage(ctx.image, ctx.deviceType);
    ctx.image.imageLoaded = false;
    return {false, message};
}

}  // namespace

LoadResult LoadCoffFile(LoadContext& ctx, const std::string& path, bool remember) {
    std::string storedName;
    if (!FindFileEntry(path, storedName)) {
        const std::string line = "The specified COFF file isn't exist";
        ctx.status.ShowMessage(line, true);
        return {false, line};
    }
    ctx.image.podFileName = PodFileNameFrom(storedName);
    ctx.deviceType = SelectedDeviceType(ctx.selectedDevice);

    FileBytes file;
    const CoffResult read = file.Read(path);
    const LoadFault fault =
        read == CoffResult::Ok ? LoadProgramBytes(file.bytes(), ctx.deviceType, ctx.image) : LoadFault{read};
    if (!fault.ok()) {
        if (fault.result == CoffResult::MemoryError && ctx.reportOutOfMemory) ctx.reportOutOfMemory();
        return RefuseLoad(ctx, LoadFaultMessage(fault, ctx.image.sections, ctx.deviceType));
    }
    if (remember) ctx.recentFiles.AddRecentFile(path);
    const std::string line = CoffResultMessage(CoffResult::Ok);
    ctx.status.ShowMessage(line, false);
    ctx.image.imageLoaded = true;
    return {true, line};
}

}  // namespace nembra
