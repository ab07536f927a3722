#include "cli/GangConsole.h"

#include <memory>

#include "cli/ConsoleStatus.h"
#include "cli/GangBoard.h"
#include "cli/InterruptWatch.h"

namespace nembra::cli {

std::vector<station::PodResult> RunOnConsole(
    const ConsoleEnvironment& console, const std::vector<std::string>& serials, StopRequest& stop,
    const std::function<std::vector<station::PodResult>(const station::StatusFactory&)>& run) {
    std::unique_ptr<GangBoard> board;
    if (console.interactive) board = std::make_unique<GangBoard>(console.progressOut, serials, console.columns);
    GangBoard* drawn = board.get();
    const station::StatusFactory status = [drawn](size_t pod, OpsClock& clock) -> std::unique_ptr<StatusSink> {
        if (drawn == nullptr) return nullptr;
        return std::make_unique<ConsoleStatus>([drawn, pod](const std::string& line) { drawn->Draw(pod, line); }, clock,
                                               drawn->lineColumns());
    };
    InterruptWatch watch(stop);
    std::vector<station::PodResult> pods = run(status);
    if (board) board->Finish();
    return pods;
}

}  // namespace nembra::cli
