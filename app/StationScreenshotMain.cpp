// Renders the operator's window during a run to a PNG:
// nembra-station-screenshot OUTPUT.png PROGRAM.out
// Four paced simulated pods run a job of the program, the third armed to
// fail its first sector erase; the picture is taken once it has failed and
// the others are well into writing their flash. The job, its store, the
// simulated pods' stores and the claims live in a temporary folder.
#include <cstdio>
#include <fstream>

#include <QApplication>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>

#include "app/StationApp.h"
#include "station/FileDigest.h"
#include "station/PodClaim.h"
#include "station/SimFaultRequest.h"
#include "station/SimStation.h"
#include "ui/station/OperatorWindow.h"
#include "ui/station/PodTile.h"

namespace {

std::string WriteJob(const QTemporaryDir& scratch, const std::string& program) {
    const std::string path = scratch.filePath("line2.toml").toStdString();
    std::ofstream(path) << "name = \"TB3CM line 2\"\ndevice = \"f2812\"\ncommand = \"write\"\n"
                        << "program = \"" << program << "\"\n"
                        << "program_sha256 = \"" << nembra::station::FileSha256(program) << "\"\n"
                        << "erase = \"intelligent\"\npods = \"all\"\n"
                        << "[serial]\naddress = 0x3F7F00\nwords = 2\nencoding = \"binary-low-first\"\n"
                        << "first = 1000\nlast = 9999\n"
                        << "[records]\nstore = \"line2.sqlite\"\n";
    return path;
}

// The failed pod shows its cause and the others are a third into their flash.
bool WellIntoTheRun(const nembra::OperatorWindow& window) {
    const nembra::PodTile* failed = window.Tile("SIM00003");
    const nembra::PodTile* running = window.Tile("SIM00001");
    return failed != nullptr && running != nullptr && failed->state() == nembra::PodTile::State::Failed &&
           running->detailText() == QStringLiteral("Writing the flash") &&
           running->progress()->value() * 3 >= running->progress()->maximum();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: nembra-station-screenshot OUTPUT.png PROGRAM.out\n");
        return 2;
    }
    QApplication app(argc, argv);
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        std::fprintf(stderr, "nembra-station-screenshot: cannot make a temporary folder\n");
        return 1;
    }
    nembra::station::SimStation station(scratch.filePath("sim-pod.store").toStdString(), 4, true,
                                        nembra::SimChip::Typical);
    std::string error;
    if (!nembra::station::ArmSimFaults({"refused:O:2@SIM00003"}, station, {}, "", error)) {
        std::fprintf(stderr, "nembra-station-screenshot: %s\n", error.c_str());
        return 1;
    }
    nembra::station::PodClaims claims(scratch.filePath("claims").toStdString(), "nembra-station");
    QDir(scratch.path()).mkdir(QStringLiteral("claims"));
    nembra::OperatorWindow window(station, claims, {nembra::kStationTool, false, 100});
    window.OpenJob(WriteJob(scratch, argv[2]));
    window.resize(1100, 820);
    window.show();
    if (!QTest::qWaitFor([&window] { return window.TileSerials().size() == 4; }, 30000)) {
        std::fprintf(stderr, "nembra-station-screenshot: the simulated pods did not appear\n");
        return 1;
    }
    window.StartAll();
    if (!QTest::qWaitFor([&window] { return WellIntoTheRun(window); }, 120000))
        std::fprintf(stderr, "nembra-station-screenshot: the run did not get far; taking the picture as it is\n");
    const bool saved = window.grab().save(QString::fromLocal8Bit(argv[1]), "PNG");
    window.StopAll();
    if (!saved) {
        std::fprintf(stderr, "nembra-station-screenshot: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
