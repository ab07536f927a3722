#include "status/Outcome.h"

#include <cstdio>

namespace nembra {

const char* CauseName(Cause cause) {
    switch (cause) {
        case Cause::None: return "none";
        case Cause::NoReply: return "no-reply";
        case Cause::ShortReply: return "short-reply";
        case Cause::Refused: return "refused";
        case Cause::ByteWaiting: return "byte-waiting";
        case Cause::StrayByte: return "stray-byte";
        case Cause::WriteTimeout: return "write-timeout";
        case Cause::WriteError: return "write-error";
        case Cause::ReadError: return "read-error";
        case Cause::Unplugged: return "unplugged";
        case Cause::Stopped: return "stopped";
        case Cause::Unsendable: return "unsendable";
        case Cause::Differs: return "differs";
        case Cause::NoStoredProgram: return "no-stored-program";
        case Cause::UnknownVersion: return "unknown-version";
        case Cause::NoDriver: return "no-driver";
        case Cause::NoPod: return "no-pod";
        case Cause::PortFailed: return "port-failed";
        case Cause::NoFile: return "no-file";
        case Cause::LoadFailed: return "load-failed";
        case Cause::NoSectionData: return "no-section-data";
        case Cause::TooManySections: return "too-many-sections";
        case Cause::TooMuchData: return "too-much-data";
        case Cause::NoFlashSection: return "no-flash-section";
        case Cause::WrongPassword: return "wrong-password";
    }
    return "none";
}

const char* StepName(Step step) {
    switch (step) {
        case Step::None: return "none";
        case Step::Load: return "load";
        case Step::Check: return "check";
        case Step::Connect: return "connect";
        case Step::Boot: return "boot";
        case Step::Download: return "download";
        case Step::Reset: return "reset";
        case Step::Algorithm: return "algorithm";
        case Step::FlashInit: return "flash-init";
        case Step::Erase: return "erase";
        case Step::FlashWrite: return "flash-write";
        case Step::Version: return "version";
        case Step::PodInfo: return "pod-info";
        case Step::Access: return "access";
        case Step::StoreData: return "store-data";
        case Step::StorePassword: return "store-password";
        case Step::StoreTag: return "store-tag";
        case Step::StoreSummary: return "store-summary";
        case Step::EndAccess: return "end-access";
        case Step::ReadSummary: return "read-summary";
        case Step::CompareDevice: return "compare-device";
        case Step::CompareSectionCount: return "compare-section-count";
        case Step::CompareSections: return "compare-sections";
        case Step::ReadPassword: return "read-password";
        case Step::CompareData: return "compare-data";
    }
    return "none";
}

const char* WhereKindName(Where::Kind kind) {
    switch (kind) {
        case Where::Kind::Sector: return "sector";
        case Where::Kind::Address: return "address";
        case Where::Kind::Page: return "page";
        case Where::Kind::Section: return "section";
    }
    return "section";
}

std::string WhereValueText(const Where& where) {
    char text[16];
    switch (where.kind) {
        case Where::Kind::Sector:
            // Sector index 0 is sector A.
            return where.value < 26 ? std::string(1, static_cast<char>('A' + where.value))
                                    : std::to_string(where.value);
        case Where::Kind::Address:
            std::snprintf(text, sizeof text, "%06X", static_cast<unsigned>(where.value));
            return text;
        case Where::Kind::Page:
        case Where::Kind::Section: break;
    }
    return std::to_string(where.value);
}

}  // namespace nembra
