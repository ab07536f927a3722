#include "app/ProgrammerApp.h"

#include <QApplication>
#include <QFileInfo>

#include "app/InstanceGuard.h"

namespace nembra {

int CProgrammerApp::Run(int argc, char** argv, const BackendFactory& makeBackend) {
    // Before anything else: a second copy must read, write and show nothing.
    InstanceGuard guard;
    if (guard.Acquire(InstanceGuard::DefaultLockPath(kInstanceGuardName)) == InstanceGuard::Result::AlreadyRunning)
        return 0;
    QApplication app(argc, argv);
    const QString programName = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    SettingsStore store(SettingsStore::DefaultFilePath(programName));
    std::unique_ptr<BackendOwner> owner = makeBackend();
    {
        CProgrammerDlg window(owner->backend(), std::move(store));
        window.exec();
    }
    return 0;
}

}  // namespace nembra
