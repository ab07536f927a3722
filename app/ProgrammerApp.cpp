#include "app/ProgrammerApp.h"

#include <QApplication>
#include <QFileInfo>
#include <iostream>

#include "app/ClaimGate.h"
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
    // Without a private folder no claim can be made; the window then opens
    // pods as it finds them, as it starts without its guard.
    std::string claimsWhy;
    station::PodClaims claims(station::PodClaims::DefaultFolder(claimsWhy), programName.toStdString());
    ClaimGate gate(claims);
    {
        CProgrammerDlg window(owner->backend(), std::move(store));
        window.SetPodGate(&gate);
        window.exec();
    }
    return 0;
}

}  // namespace nembra
