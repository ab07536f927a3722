#include "image/LoadCoffFile.h"
#include "ops/OperationSteps.h"
#include "ops/Operations.h"

namespace nembra {

OperationOutcome RunLoad(OperationContext& ctx) {
    LoadContext load = op_steps::MakeLoadContext(ctx);
    const LoadResult loaded = RunLoadCommand(load, ctx.job.filePath);
    if (loaded) return OperationOutcome::Succeeded(loaded.line);
    // No path given is refused before any file is read.
    const bool noPath = Trim(ctx.job.filePath).empty();
    return OperationOutcome::Failed(loaded.line,
                                    StepOutcome::Failed(noPath ? Step::Check : Step::Load,
                                                        LinkOutcome::Of(noPath ? Cause::NoFile : Cause::LoadFailed)));
}

}  // namespace nembra
