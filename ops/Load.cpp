#include "image/LoadCoffFile.h"
#include "ops/OperationSteps.h"
#include "ops/Operations.h"

namespace nembra {

void RunLoad(OperationContext& ctx) {
    LoadContext load = op_steps::MakeLoadContext(ctx, ctx.status);
    RunLoadCommand(load, ctx.panel.FilePathText());
}

}  // namespace nembra
