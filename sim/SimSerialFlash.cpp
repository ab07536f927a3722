#include "sim/SimSerialFlash.h"

#include <string>

namespace nembra {

namespace {

std::string Number(uint32_t value) { return std::to_string(value); }

}  // namespace

SimSerialFlash::SimSerialFlash(const SimTiming& timing, std::string storePath)
    : timing_(timing), storePath_(std::move(storePath)) {
    if (!storePath_.empty()) LoadStoreFile(storePath_, stored_);
}

SimReply SimSerialFlash::NeedAccess(const char* command) const {
    return SimReply::Refuse(std::string(command) + " outside a serial-flash access ('G' first)");
}

// What the pod holds is what its store file holds: a store that cannot be
// saved is not kept, so a later read (POD Verify, POD Info) sees the file.
// A real pod's serial flash says no to a write it cannot make; the simulated
// one says no to the record whose store it could not save (not a fault of
// the host's, so no protocol error is noted).
bool SimSerialFlash::Keep(const SimStore& store) {
    if (!storePath_.empty() && !SaveStoreFile(storePath_, store)) return false;
    stored_ = store;
    return true;
}

bool SimSerialFlash::StartWriting() {
    if (writing_) return true;
    if (!Keep(SimStore{})) return false;
    writing_ = true;
    pending_ = {};
    gotPassword_ = gotTag_ = gotSummary_ = false;
    return true;
}

SimReply SimSerialFlash::Begin() {
    inAccess_ = true;
    writing_ = false;
    pageBuffer_.clear();
    return SimReply::Accept();
}

std::string SimSerialFlash::WhyIncomplete() const {
    if (!gotSummary_) return "no 'Q' summary record";
    if (!gotTag_) return "no 'T' tag record";
    if (pending_.deviceCode >= 3 && !gotPassword_) return "no 'P' password record for an F281x program";
    if (!pageBuffer_.empty()) return Number(pageBuffer_.size()) + " data byte(s) never committed with 'W'";
    if ((pending_.sections.size() & 0xFF) != pending_.sectionCount)
        return Number(pending_.sections.size()) + " section record(s), but the summary says " +
               Number(pending_.sectionCount);
    uint32_t offset = 0;
    for (const auto& section : pending_.sections) {
        if (section.dataOffset != offset) return "a section's data offset does not follow the one before";
        offset += 2 * section.wordCount;
    }
    uint32_t stored = 0;
    for (const auto& page : pending_.pages) stored += static_cast<uint32_t>(page.size());
    if (stored != offset) return Number(stored) + " data byte(s) committed, but the sections hold " + Number(offset);
    return {};
}

SimReply SimSerialFlash::End() {
    if (!inAccess_) return SimReply::Refuse("'H' outside a serial-flash access");
    inAccess_ = false;
    const std::string why = writing_ ? WhyIncomplete() : std::string();
    pageBuffer_.clear();
    if (!writing_) return SimReply::Accept();
    writing_ = false;
    if (!why.empty())
        return SimReply::Refuse("serial-flash access ended with an incomplete store (" + why + "); nothing kept");
    pending_.hasProgram = true;
    if (!Keep(pending_)) return SimReply::Deny();
    return SimReply::Accept(timing_.pageWriteMs);
}

SimReply SimSerialFlash::Abort() {
    inAccess_ = false;
    writing_ = false;
    pageBuffer_.clear();
    Keep(SimStore{});
    return SimReply::Accept();
}

SimReply SimSerialFlash::SectionRecord(uint32_t sequence, uint32_t address, uint32_t wordCount, uint32_t dataOffset) {
    if (!inAccess_) return NeedAccess("'V'");
    if (!StartWriting()) return SimReply::Deny();
    if (sequence != pending_.sections.size())
        return SimReply::Refuse("'V' sequence " + Number(sequence) + ", expected " + Number(pending_.sections.size()));
    pending_.sections.push_back({address, wordCount, dataOffset});
    return SimReply::Accept();
}

SimReply SimSerialFlash::DataWord(uint16_t value) {
    if (pageBuffer_.size() + 2 > kSimPageBytes)
        return SimReply::Refuse("data beyond one 264-byte page before the page command");
    pageBuffer_.push_back(static_cast<uint8_t>(value >> 8));
    pageBuffer_.push_back(static_cast<uint8_t>(value));
    return SimReply::Accept();
}

SimReply SimSerialFlash::WritePage(uint32_t page, uint32_t byteCount) {
    if (!inAccess_) return NeedAccess("'W'");
    if (!StartWriting()) return SimReply::Deny();
    std::vector<uint8_t> bytes;
    bytes.swap(pageBuffer_);
    if (page != pending_.pages.size())
        return SimReply::Refuse("'W' page " + Number(page) + ", expected page " + Number(pending_.pages.size()));
    if (page >= kSimPageCount) return SimReply::Refuse("'W' page " + Number(page) + " lies beyond the serial flash");
    if (byteCount == 0 || byteCount != bytes.size())
        return SimReply::Refuse("'W' byte count " + Number(byteCount) + ", but " + Number(bytes.size()) +
                                " byte(s) came");
    pending_.pages.push_back(std::move(bytes));
    return SimReply::Accept(timing_.pageWriteMs);
}

SimReply SimSerialFlash::Password(const CsmKeyTable& keys) {
    if (!inAccess_) return NeedAccess("'P'");
    if (!StartWriting()) return SimReply::Deny();
    pending_.keys = keys;
    gotPassword_ = true;
    return SimReply::Accept();
}

SimReply SimSerialFlash::Tag(const TagRecord& tag) {
    if (!inAccess_) return NeedAccess("'T'");
    if (!StartWriting()) return SimReply::Deny();
    pending_.tag = tag;
    gotTag_ = true;
    return SimReply::Accept();
}

SimReply SimSerialFlash::Summary(uint32_t deviceCode, uint32_t csmOption, uint32_t sectorMask, uint32_t sectionCount) {
    if (!inAccess_) return NeedAccess("'Q'");
    if (!StartWriting()) return SimReply::Deny();
    if (deviceCode < 1 || deviceCode > 5)
        return SimReply::Refuse("'Q' device code " + Number(deviceCode) + " is unknown");
    if (csmOption > 1) return SimReply::Refuse("'Q' CSM option must be 0 or 1");
    pending_.deviceCode = static_cast<uint8_t>(deviceCode);
    pending_.csmOption = static_cast<uint8_t>(csmOption);
    pending_.sectorMask = static_cast<uint16_t>(sectorMask);
    pending_.sectionCount = static_cast<uint8_t>(sectionCount);
    gotSummary_ = true;
    return SimReply::Accept();
}

SimReply SimSerialFlash::ReadSummary() const {
    if (!inAccess_) return NeedAccess("'h'");
    if (!stored_.hasProgram) return SimReply::AcceptWith({0, 0, 0, 0, 0, 0});
    return SimReply::AcceptWith({kStoreMarker, stored_.deviceCode, stored_.csmOption,
                                 static_cast<uint8_t>(stored_.sectorMask >> 8),
                                 static_cast<uint8_t>(stored_.sectorMask), stored_.sectionCount});
}

SimReply SimSerialFlash::ReadPassword() const {
    if (!inAccess_) return NeedAccess("'g'");
    std::vector<uint8_t> bytes;
    for (uint16_t key : stored_.keys) {
        bytes.push_back(static_cast<uint8_t>(key >> 8));
        bytes.push_back(static_cast<uint8_t>(key));
    }
    return SimReply::AcceptWith(std::move(bytes));
}

SimReply SimSerialFlash::ReadSection(uint32_t sequence) const {
    if (!inAccess_) return NeedAccess("'l'");
    if (!stored_.hasProgram || sequence >= stored_.sections.size()) return SimReply::Deny();
    const SimStoredSection& s = stored_.sections[sequence];
    std::vector<uint8_t> bytes;
    for (uint32_t value : {s.address, s.wordCount, s.dataOffset}) {
        bytes.push_back(static_cast<uint8_t>(value >> 16));
        bytes.push_back(static_cast<uint8_t>(value >> 8));
        bytes.push_back(static_cast<uint8_t>(value));
    }
    return SimReply::AcceptWith(std::move(bytes));
}

SimReply SimSerialFlash::ComparePage(uint32_t page, uint32_t byteCount) {
    if (!inAccess_) return NeedAccess("'L'");
    std::vector<uint8_t> bytes;
    bytes.swap(pageBuffer_);
    if (byteCount != bytes.size())
        return SimReply::Refuse("'L' byte count " + Number(byteCount) + ", but " + Number(bytes.size()) +
                                " byte(s) came");
    if (!stored_.hasProgram || page >= stored_.pages.size() || stored_.pages[page] != bytes) return SimReply::Deny();
    return SimReply::Accept(timing_.pageWriteMs / 2);
}

SimReply SimSerialFlash::FileRecord() const {
    std::vector<uint8_t> bytes(15, 0);
    if (stored_.hasProgram) {
        bytes[0] = 1;
        std::copy(stored_.tag.begin(), stored_.tag.end(), bytes.begin() + 1);
    }
    return SimReply::AcceptWith(std::move(bytes));
}

}  // namespace nembra
