#include "app/StationApp.h"

#include <QApplication>
#include <QFileDialog>
#include <QIcon>
#include <cstring>
#include <iostream>
#include <memory>

#include "app/StationOptions.h"
#include "sim/SimRig.h"
#include "station/PodClaim.h"
#include "station/PodStation.h"
#include "station/SimFaultRequest.h"
#include "station/SimStates.h"
#include "ui/station/OperatorWindow.h"
#include "ui/station/PodPoller.h"

namespace nembra {
namespace {

// --help and --version end the program before a display is opened.
bool AnswersAtOnce(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::cout << StationHelpText();
            return true;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::cout << kStationTool << "\n";
            return true;
        }
    }
    return false;
}

int UsageError(const std::string& error) {
    std::cerr << "nembra-station: " << error << "\nTry nembra-station --help\n";
    return 2;
}

std::unique_ptr<station::PodStation> MakeStation(const StationOptions& options, std::string& error) {
    if (!options.sim) return station::MakeUsbStation();
    auto station = station::MakeSimStation(options.simStatePath, options.simPods, options.simPaced);
    std::vector<station::PodEntry> entries;
    station->List(entries, false);
    const std::vector<std::string> serials = PodSerials(entries);
    if (!options.simFaults.empty() &&
        !station::ArmSimFaults(options.simFaults, *station, serials, serials.empty() ? "" : serials.front(), error))
        return nullptr;
    return station;
}

}  // namespace

int RunStationApp(int argc, char** argv) {
    if (AnswersAtOnce(argc, argv)) return 0;
    QApplication app(argc, argv);
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("nembra-station")));
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    StationOptions options;
    std::string error;
    if (!ParseStationArguments(args, DefaultSimStatePath(), options, error)) return UsageError(error);
    // Bad input loses nothing: a --sim file that is not a pod's store is refused, not replaced.
    if (options.sim && !station::PrepareSimStates(options.simStatePath, options.simPods, false, {}, error)) {
        std::cerr << "nembra-station: " << error << "\n";
        return 1;
    }
    std::unique_ptr<station::PodStation> station = MakeStation(options, error);
    if (station == nullptr) return UsageError(error);
    std::string why;
    const std::string claimFolder = station::PodClaims::DefaultFolder(why);
    // Each tile then says why its pod cannot be claimed, and no pod runs.
    if (claimFolder.empty()) std::cerr << "nembra-station: no pod can be claimed (" << why << ")\n";
    station::PodClaims claims(claimFolder, "nembra-station");
    std::string jobFile = options.jobFile;
    if (jobFile.empty()) {
        jobFile = QFileDialog::getOpenFileName(nullptr, QObject::tr("Open a production job"), {},
                                               QObject::tr("Job files (*.toml);;All files (*)"))
                      .toStdString();
        if (jobFile.empty()) return 0;
    }
    OperatorWindow window(*station, claims, {kStationTool, options.bell, 500});
    window.OpenJob(jobFile);
    window.resize(1100, 800);
    window.show();
    return app.exec();
}

}  // namespace nembra
