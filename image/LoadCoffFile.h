#pragma once
#include <functional>
#include <string>

#include "image/DeviceTypes.h"
#include "image/ProgramImage.h"
#include "image/RecentFiles.h"
#include "status/StatusSink.h"

namespace nembra {

// What a Load reads and changes.
struct LoadContext {
    ProgramImage& image;
    DeviceType& deviceType;  // the current device type, set from the selection
    int selectedDevice;      // the device list's selection
    RecentFiles& recentFiles;
    StatusSink& status;
    // Shows the allocator's out-of-memory report in a modal box, where the
    // front-end has one; runs before the message line says what failed.
    std::function<void()> reportOutOfMemory = {};
};

// True when a file-system entry exists at the path; its last path component
// is the stored name. The path is taken literally (no wildcards).
bool FindFileEntry(const std::string& path, std::string& storedName);

// The pod file name from a file name: ".OUT" or ".HEX" (any case) dropped,
// cut to 8 bytes, and each byte that is not printable ASCII made "_".
std::string PodFileNameFrom(const std::string& fileName);
// Whether the pod file name may hold this byte: printable ASCII, 0x20 to 0x7E.
bool IsPodFileNameChar(char c);

// How a Load ended: whether the image is loaded, and the line it showed,
// for a caller that reports the line elsewhere too (a record, --json).
struct LoadResult {
    bool loaded = false;
    std::string line;
    explicit operator bool() const { return loaded; }
};

// Loads a program file, COFF, ELF or Intel HEX as its content shows.
LoadResult LoadCoffFile(LoadContext& ctx, const std::string& path, bool remember);

// The Load button: trims the File Path text and loads it.
LoadResult RunLoadCommand(LoadContext& ctx, const std::string& filePathText);

// White space removed from both ends.
std::string Trim(const std::string& text);

}  // namespace nembra
