#include "image/LoadCoffFile.h"

#include "image/CoffReader.h"
#include "image/HexFileReader.h"
#include "image/ImageRules.h"
#include "image/ProgramFormat.h"

namespace nembra {
namespace {

// A list without a valid selection loads for the default device rather than
// for an index no device has.
DeviceType SelectedDeviceType(int selectedDevice) {
    if (selectedDevice < 0 || selectedDevice >= static_cast<int>(kDevices.size())) return kDefaultDeviceType;
    return static_cast<DeviceType>(selectedDevice);
}

// The reader the file's content calls for; an ELF file is refused before any
// reader sees it, and the image keeps what it had until a read succeeds.
CoffResult ReadProgramFile(const std::string& path, DeviceType deviceType, ProgramImage& image, HexFault& fault) {
    switch (ProgramFormatOfFile(path)) {
        case ProgramFormat::Elf: return CoffResult::ElfFile;
        case ProgramFormat::IntelHex: return ReadHexFile(path, deviceType, image, fault);
        case ProgramFormat::Coff: break;
    }
    return ReadCoffFile(path, deviceType, image);
}

// A refused Load leaves an empty image, whatever the reader had stored.
bool RefuseLoad(LoadContext& ctx, const std::string& message) {
    ctx.status.ShowMessage(message, true);
    ClearImage(ctx.image, ctx.deviceType);
    ctx.image.imageLoaded = false;
    return false;
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

    HexFault fault;
    const CoffResult result = ReadProgramFile(path, ctx.deviceType, ctx.image, fault);
    if (result != CoffResult::Ok) {
        if (result == CoffResult::MemoryError && ctx.reportOutOfMemory) ctx.reportOutOfMemory();
        return RefuseLoad(ctx, LoadResultMessage(result, fault));
    }
    // Whatever the format, the image must fit the device before a pod sees it.
    if (const RuleBreak broken = CheckImageRules(ctx.image.sections, ctx.deviceType); broken.rule != ImageRule::None)
        return RefuseLoad(ctx, RuleBreakMessage(broken, ctx.image.sections, ctx.deviceType));
    ComputeFlashSummary(ctx.image, ctx.deviceType);
    if (remember) ctx.recentFiles.AddRecentFile(path);
    ctx.status.ShowMessage(CoffResultMessage(result), false);
    ctx.image.imageLoaded = true;
    return true;
}

}  // namespace nembra
