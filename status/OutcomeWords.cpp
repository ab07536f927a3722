#include "status/OutcomeWords.h"

namespace nembra {

const char* StepWords(Step step) {
    switch (step) {
        case Step::None: return "running";
        case Step::Load: return "loading the program file";
        case Step::Check: return "checking the program";
        case Step::Connect: return "connecting to the pod";
        case Step::Boot: return "booting the target";
        case Step::Download: return "downloading the program";
        case Step::Reset: return "resetting the target";
        case Step::Algorithm: return "loading the flash algorithm";
        case Step::FlashInit: return "starting the flash";
        case Step::Erase: return "erasing the flash";
        case Step::FlashWrite: return "writing the flash";
        case Step::Version: return "reading the pod's version";
        case Step::PodInfo: return "reading the pod's program";
        case Step::Access: return "opening the pod's store";
        case Step::StoreData: return "storing the program in the pod";
        case Step::StorePassword: return "storing the CSM keys in the pod";
        case Step::StoreTag: return "storing the program's name in the pod";
        case Step::StoreSummary: return "storing the program's summary in the pod";
        case Step::EndAccess: return "closing the pod's store";
        case Step::ReadSummary: return "reading the pod's summary";
        case Step::CompareDevice: return "comparing the device";
        case Step::CompareSectionCount: return "comparing the section count";
        case Step::CompareSections: return "comparing the sections";
        case Step::ReadPassword: return "reading the pod's CSM keys";
        case Step::CompareData: return "comparing the program";
    }
    return "running";
}

const char* CauseWords(Cause cause) {
    switch (cause) {
        case Cause::None: return "no fault";
        case Cause::NoReply: return "the pod did not answer";
        case Cause::ShortReply: return "the pod's answer was cut short";
        case Cause::Refused: return "the pod refused the command";
        case Cause::ByteWaiting: return "the pod sent a byte it should not have";
        case Cause::StrayByte: return "a stray byte came from the pod";
        case Cause::WriteTimeout: return "the command could not be sent in time";
        case Cause::WriteError: return "the driver could not send to the pod";
        case Cause::ReadError: return "the driver could not read from the pod";
        case Cause::Unplugged: return "the pod was unplugged";
        case Cause::Stopped: return "stopped by the operator";
        case Cause::Unsendable: return "a value does not fit its command";
        case Cause::Differs: return "the pod's copy differs from the program";
        case Cause::NoStoredProgram: return "the pod holds no program";
        case Cause::UnknownVersion: return "the pod's version is not known";
        case Cause::NoDriver: return "no USB driver library could be loaded";
        case Cause::NoPod: return "the pod is not attached";
        case Cause::PortFailed: return "the pod could not be opened";
        case Cause::NoFile: return "there is no program file";
        case Cause::LoadFailed: return "the program file could not be loaded";
        case Cause::NoSectionData: return "the program has no data";
        case Cause::TooManySections: return "the program has too many sections";
        case Cause::TooMuchData: return "the program is too large";
        case Cause::NoFlashSection: return "the program has nothing for flash";
        case Cause::WrongPassword: return "the CSM keys are wrong";
    }
    return "no fault";
}

std::string FailureWords(const StepOutcome& failure) {
    if (failure.ok()) return {};
    std::string text = StepWords(failure.step);
    text.front() = static_cast<char>(text.front() - 'a' + 'A');
    text += ": ";
    text += CauseWords(failure.cause());
    if (failure.where)
        text += std::string(" (") + WhereKindName(failure.where->kind) + " " + WhereValueText(*failure.where) + ")";
    return text;
}

}  // namespace nembra
