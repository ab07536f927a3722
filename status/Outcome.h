#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace nembra {

// Why a step failed: what the link saw of the pod, what a comparison found,
// or which check refused before the pod was touched.
enum class Cause : uint8_t {
    None,
    // At the link.
    NoReply,       // nothing came within the command's time-out
    ShortReply,    // the reply stopped before its last byte
    Refused,       // the first reply byte was not '!' (the byte is kept)
    ByteWaiting,   // a byte came after a batch of data words, which the pod never answers
    StrayByte,     // a byte was already waiting before the frame went out and was taken for its answer
    WriteTimeout,  // the frame did not leave the host within its time-out
    WriteError,    // the driver failed a write (its status is kept)
    ReadError,     // the driver failed a read or a queue query (its status is kept)
    Unplugged,     // the pod is gone from the bus
    Stopped,       // the user asked to stop
    Unsendable,    // a value does not fit its frame field, so nothing was sent
    // In a sequence, from what the pod answered.
    Differs,          // the pod's copy is not the loaded program's
    NoStoredProgram,  // the pod holds no program
    UnknownVersion,   // the version reply is not "KVL" and two digits
    // At the connect.
    NoDriver,
    NoPod,
    PortFailed,
    // Checks that refuse before the pod is touched.
    NoFile,
    LoadFailed,
    NoSectionData,
    TooManySections,
    TooMuchData,
    NoFlashSection,
    WrongPassword,
};

// The step of an operation that failed.
enum class Step : uint8_t {
    None,
    Load,
    Check,
    Connect,
    // Target Write, one per result code.
    Boot,
    Download,
    Reset,
    Algorithm,
    FlashInit,
    Erase,
    FlashWrite,
    // POD Info.
    Version,
    PodInfo,
    // POD Write and POD Verify.
    Access,
    StoreData,
    StorePassword,
    StoreTag,
    StoreSummary,
    EndAccess,
    ReadSummary,
    CompareDevice,
    CompareSectionCount,
    CompareSections,
    ReadPassword,
    CompareData,
};

// Where in the program a step failed.
struct Where {
    enum class Kind : uint8_t { Sector, Address, Page, Section };
    Kind kind;
    uint32_t value;  // sector index (0 is sector A), word address, page number, stored section's sequence

    friend bool operator==(const Where&, const Where&) = default;
};

// What one exchange with the pod, or one check, came to.
struct LinkOutcome {
    Cause cause = Cause::None;
    uint8_t byte = 0;           // Refused, Differs: the byte received in the place of '!'
    uint32_t driverStatus = 0;  // WriteError, ReadError: the driver's status

    bool ok() const { return cause == Cause::None; }
    // Implicit, so that code that only asks "accepted?" reads as it would
    // with a boolean.
    operator bool() const { return ok(); }  // NOLINT(google-explicit-constructor)
    static LinkOutcome Accepted() { return {}; }
    static LinkOutcome Of(Cause cause) { return {cause, 0, 0}; }
};

// What a sequence or an operation came to: the failing step, its cause and,
// where there is one, where; step None and cause None on success.
struct StepOutcome {
    Step step = Step::None;
    LinkOutcome link;
    std::optional<Where> where;

    bool ok() const { return link.ok(); }
    explicit operator bool() const { return ok(); }
    Cause cause() const { return link.cause; }
    // This failure, named as a step of the caller's; success stays success.
    StepOutcome At(Step failingStep) const {
        StepOutcome named = *this;
        if (!ok()) named.step = failingStep;
        return named;
    }
    static StepOutcome Success() { return {}; }
    static StepOutcome Failed(Step step, LinkOutcome link, std::optional<Where> where = std::nullopt) {
        return {step, link, where};
    }
};

// The names the command line's --json and --log records use.
const char* CauseName(Cause cause);
const char* StepName(Step step);
// "sector", "address", "page", "section"; and the value as the records write
// it: the sector letter, six hexadecimal digits, or a decimal number.
const char* WhereKindName(Where::Kind kind);
std::string WhereValueText(const Where& where);

}  // namespace nembra
