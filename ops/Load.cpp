#include "image/LoadCoffFile.h"
#include "ops/Operations.h"

namespace nembra {

void RunLoad(OperationContext& ctx) {
    LoadContext load{ctx.session.image, ctx.session.deviceType, ctx.panel.SelectedDevice(),
                     ctx.session.recentFiles, ctx.status};
    RunLoadCommand(load, ctx.panel.FilePathText());
}

}  // namespace nembra
