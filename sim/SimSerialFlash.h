#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "pod/PodRecords.h"
#include "sim/SimPod.h"
#include "sim/SimReply.h"
#include "sim/SimStoreFile.h"

namespace nembra {

// The pod's own serial flash: one stored program, written and read back
// between "G" and "H". The first record written in an access replaces the
// stored program, which is kept only when the access ends complete.
class SimSerialFlash {
public:
    SimSerialFlash(const SimTiming& timing, std::string storePath);

    SimReply Begin();  // "G"
    SimReply End();    // "H"
    SimReply Abort();  // "i"
    // "V"
    SimReply SectionRecord(uint32_t sequence, uint32_t address, uint32_t wordCount, uint32_t dataOffset);
    SimReply DataWord(uint16_t value);                      // "S" during an access
    SimReply WritePage(uint32_t page, uint32_t byteCount);  // "W"
    SimReply Password(const CsmKeyTable& keys);             // "P"
    SimReply Tag(const TagRecord& tag);                     // "T"
    // "Q"
    SimReply Summary(uint32_t deviceCode, uint32_t csmOption, uint32_t sectorMask, uint32_t sectionCount);
    SimReply ReadSummary() const;                             // "h"
    SimReply ReadPassword() const;                            // "g"
    SimReply ReadSection(uint32_t sequence) const;            // "l"
    SimReply ComparePage(uint32_t page, uint32_t byteCount);  // "L"
    SimReply FileRecord() const;                              // "J"

    bool inAccess() const { return inAccess_; }
    const SimStore& stored() const { return stored_; }

private:
    SimReply NeedAccess(const char* command) const;
    // The first write of an access: the old program is gone from now on.
    // False when the emptied store could not be saved; the old one stays.
    bool StartWriting();
    std::string WhyIncomplete() const;
    bool Keep(const SimStore& store);

    const SimTiming& timing_;
    std::string storePath_;
    SimStore stored_;
    SimStore pending_;
    bool inAccess_ = false;
    bool writing_ = false;
    bool gotPassword_ = false;
    bool gotTag_ = false;
    bool gotSummary_ = false;
    std::vector<uint8_t> pageBuffer_;
};

}  // namespace nembra
