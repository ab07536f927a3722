#include "app/ProgrammerApp.h"

#include <QApplication>
#include <QFileInfo>
#include <iostream>

#include "app/InstanceGuard.h"

namespace nembra {

int CProgrammerApp::Run(int argc, char** argv, const BackendFactory& makeBackend) {
    // Before anything else: a second copy must read, write and show nothing.
    InstanceGuard guard;
    std::string why;
    const InstanceGuard::Result guarded = guard.AcquireDefault(kInstanceGuardName, why);
    if (guarded == InstanceGuard::Result::AlreadyRunning) return 0;
    // The window starts all the same, as it would with no guard at all.
    if (guarded == InstanceGuard::Result::Unavailable)
        std::cerr << "Cannot make the single-instance guard (" << why << "); starting without it" << std::endl;
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
