#include "cli/CliOptions.h"

namespace nembra::cli {

const char* CommandName(Command command) {
    switch (command) {
        case Command::Inspect: return "inspect";
        case Command::Export: return "export";
        case Command::Write: return "write";
        case Command::Reset: return "reset";
        case Command::Info: return "info";
        case Command::PodWrite: return "pod-write";
        case Command::PodVerify: return "pod-verify";
        case Command::List: return "list";
        case Command::JobCheck: return "job check";
        case Command::JobNew: return "job new";
        case Command::Records: return "records";
        case Command::Run: return "run";
    }
    return "info";
}

bool UsesPod(Command command) {
    return command != Command::Inspect && command != Command::Export && command != Command::List &&
           command != Command::JobCheck && command != Command::JobNew && command != Command::Records;
}

}  // namespace nembra::cli
