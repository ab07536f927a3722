#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "files/BoundedLock.h"
#include "pod/PodRecords.h"

namespace nembra {

struct SimStoredSection {
    uint32_t address = 0;
    uint32_t wordCount = 0;
    uint32_t dataOffset = 0;

    bool operator==(const SimStoredSection&) const = default;
};

// What the pod's serial flash holds: one program with its records.
struct SimStore {
    bool hasProgram = false;
    uint8_t deviceCode = 0;
    uint8_t csmOption = 0;
    uint16_t sectorMask = 0;
    uint8_t sectionCount = 0;
    CsmKeyTable keys = kNoPassword;
    TagRecord tag{};
    std::vector<SimStoredSection> sections;
    std::vector<std::vector<uint8_t>> pages;

    bool operator==(const SimStore&) const = default;
};

inline constexpr size_t kSimPageBytes = 264;
inline constexpr size_t kSimPageCount = 2048;  // a 4-Mbit serial flash

// The store as text, and back. Parsing is strict: anything that is not a
// store this program wrote gives false and leaves `store` empty.
std::string FormatStore(const SimStore& store);
bool ParseStore(const std::string& text, SimStore& store);

// Loads the store file; a missing, unreadable, corrupt or foreign file gives
// an empty store (and false).
bool LoadStoreFile(const std::string& path, SimStore& store);
// Writes a temporary file of its own beside `path` and renames it over
// `path`, so a reader never sees half a store; writers of one store (threads
// or processes) take turns under an flock on StoreLockPath(`path`), waited
// for no longer than `patience` allows. The store is 0600: it holds the CSM
// keys. Creates the folder if needed. False when the store was not saved.
bool SaveStoreFile(const std::string& path, const SimStore& store, const LockPatience& patience = {});
// "`path`.lock": the lock the writers of the store at `path` take turns under.
std::string StoreLockPath(const std::string& path);

}  // namespace nembra
