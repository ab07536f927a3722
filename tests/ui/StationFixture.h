#pragma once
#include <gtest/gtest.h>

#include <QTest>
#include <fstream>
#include <memory>
#include <string>

#include "station/FileDigest.h"
#include "station/PodClaim.h"
#include "station/RecordStore.h"
#include "station/SimFaultRequest.h"
#include "station/SimStation.h"
#include "tests/support/CoffBuilder.h"
#include "ui/station/CounterView.h"
#include "ui/station/JobSummaryView.h"
#include "ui/station/LastBoardsView.h"
#include "ui/station/OperatorWindow.h"
#include "ui/station/PodTile.h"

namespace nembra::testing {

// What a job file says beyond its program.
struct JobText {
    std::string pods = "\"all\"";
    uint64_t firstSerial = 1000;
    uint64_t lastSerial = 1999;
    std::string store = "line.sqlite";
};

// The operator's window on simulated pods, with a job of an F2812 program
// built in code, its store and the pods' claims in a temporary folder.
class StationFixture : public ::testing::Test {
protected:
    explicit StationFixture(int pods = 4, bool paced = false)
        : station(dir.path() + "/sim.store", pods, paced, SimChip::Typical) {}

    void TearDown() override {
        if (window && window->Running()) {
            window->StopAll();
            Await([this] { return !window->Running(); });
        }
        window.reset();
    }

    std::string WriteProgram(uint16_t seed = 7) {
        CoffFilePlan coff;
        coff.targetId = 0x009D;
        CoffSectionPlan section;
        section.name = "text";
        section.address = 0x3F6000;
        section.words = Pattern(200, seed);
        coff.sections.push_back(section);
        return dir.Write("prog.out", BuildCoff(coff));
    }

    // Writes the program and the job naming it; the job's path.
    std::string WriteJob(const JobText& text = {}) {
        const std::string program = WriteProgram();
        const std::string path = dir.path() + "/line.toml";
        std::ofstream(path) << "name = \"line 2\"\n"
                            << "device = \"f2812\"\n"
                            << "command = \"write\"\n"
                            << "program = \"prog.out\"\n"
                            << "program_sha256 = \"" << station::FileSha256(program) << "\"\n"
                            << "erase = \"intelligent\"\n"
                            << "pods = " << text.pods << "\n"
                            << "[serial]\naddress = 0x3F7F00\nwords = 2\nencoding = \"binary-low-first\"\n"
                            << "first = " << text.firstSerial << "\nlast = " << text.lastSerial << "\n"
                            << "[records]\nstore = \"" << text.store << "\"\n";
        return path;
    }

    void Open(const std::string& jobFile, int pollMs = 50) {
        window =
            std::make_unique<OperatorWindow>(station, claims, OperatorSettings{"nembra-station test", false, pollMs});
        ASSERT_TRUE(window->OpenJob(jobFile));
        window->resize(1000, 700);
        window->show();
    }

    // Waits, handling the window's events, until the condition holds; the
    // deadline is generous and only ends a test that would hang.
    static bool Await(const std::function<bool()>& condition, int deadlineMs = 120000) {
        return QTest::qWaitFor(condition, deadlineMs);
    }
    bool AwaitTiles(size_t count) {
        return Await([this, count] { return window->TileSerials().size() == count; });
    }
    // Every tile has a result.
    bool AwaitResults() {
        return Await([this] {
            if (window->Running()) return false;
            for (const std::string& serial : window->TileSerials()) {
                const PodTile::State state = window->Tile(serial)->state();
                if (state != PodTile::State::Passed && state != PodTile::State::Failed) return false;
            }
            return true;
        });
    }
    std::string StateOf(const std::string& serial) const {
        PodTile* tile = window->Tile(serial);
        return tile ? tile->stateText().toStdString() : "no tile";
    }
    std::string DetailOf(const std::string& serial) const {
        PodTile* tile = window->Tile(serial);
        return tile ? tile->detailText().toStdString() : "no tile";
    }
    void Arm(const std::string& fault) {
        std::string error;
        ASSERT_TRUE(station::ArmSimFaults({fault}, station, {}, "", error)) << error;
    }
    station::RecordCounts StoreCounts(const std::string& storeFile = "line.sqlite") {
        station::StoreStatus status;
        auto store = station::OpenRecordStore(dir.path() + "/" + storeFile, status);
        station::RecordCounts counts;
        EXPECT_TRUE(store) << status.message;
        if (store) {
            station::RecordFilter filter;
            filter.job = "line 2";
            EXPECT_TRUE(store->Count(filter, counts).ok());
        }
        return counts;
    }

    TempDir dir;
    TempDir claimDir;
    station::SimStation station;
    station::PodClaims claims{claimDir.path(), "nembra-station"};
    std::unique_ptr<OperatorWindow> window;
};

}  // namespace nembra::testing
