#include "ui/Resources.h"

#include <QtGlobal>

// The resource initialiser lives in a static library; it has to be named
// from outside any namespace.
static void InitResourcesOnce() { Q_INIT_RESOURCE(nembra); }

namespace nembra {

void InitNembraResources() { InitResourcesOnce(); }

QString ResourcePath(int id) {
    switch (id) {
        case IDR_MAINFRAME: return QStringLiteral(":/nembra/program_icon.xpm");
        case IDB_LOAD: return QStringLiteral(":/nembra/load.xpm");
        case IDB_TARGET_RESET: return QStringLiteral(":/nembra/target_reset.xpm");
        case IDB_POD_WRITE: return QStringLiteral(":/nembra/pod_write.xpm");
        case IDB_POD_VERIFY: return QStringLiteral(":/nembra/pod_verify.xpm");
        case IDB_TARGET_WRITE: return QStringLiteral(":/nembra/target_write.xpm");
        case IDB_POD_INFO: return QStringLiteral(":/nembra/pod_info.xpm");
        case IDB_EXIT: return QStringLiteral(":/nembra/exit.xpm");
        default: return QString();
    }
}

QIcon ProgramIcon() { return QIcon(ResourcePath(IDR_MAINFRAME)); }

}  // namespace nembra
