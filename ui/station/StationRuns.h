#pragma once
#include <QObject>
#include <QString>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "pod/StopRequest.h"
#include "station/PodStation.h"
#include "station/RecordStore.h"
#include "ui/station/TileStatus.h"

namespace nembra {

// How one board of a run ended, for its tile and the last-boards list.
struct BoardResult {
    std::string pod;
    bool passed = false;
    bool unfinished = false;  // stopped before it completed
    std::string failure;      // the failing step and cause in plain words
    std::string line;         // the run's final line (and what followed it)
    std::optional<uint64_t> boardSerial;
};

// Where the job stands in its record store.
struct StoreView {
    bool reached = false;
    std::string why;  // when not reached
    station::RecordCounts counts;
    bool hasSerialPlan = false;
    std::optional<uint64_t> nextSerial;
    uint64_t serialsLeft = 0;
};

// What a run of the job ended with.
struct RunReport {
    std::vector<BoardResult> boards;
    std::string unfinishedLine;  // "Stopped: the boards on ... were left unfinished", or empty
    std::string note;            // what the spool holds or took, or empty
    StoreView store;
};

// What the runs tell the window, always on the window's thread.
class StationRunsListener {
public:
    virtual ~StationRunsListener() = default;
    virtual void OnTileUpdate(const std::string& pod, const TileUpdate& update) = 0;
    // The run did not start, and no pod was touched.
    virtual void OnRefused(const std::vector<std::string>& pods, const std::string& message) = 0;
    virtual void OnNote(const std::string& note) = 0;
    virtual void OnFinished(const std::vector<std::string>& pods, const RunReport& report) = 0;
    virtual void OnStoreView(const StoreView& view) = 0;
};

// The runs of one job file on the station's pods, each on a thread of its
// own (its pods on threads of theirs), never on the window's thread.
// Several may go on at once on different pods. Destroying it stops every
// run at its next step and waits for them.
class StationRuns : public QObject {
    Q_OBJECT

public:
    StationRuns(station::PodStation& station, std::string jobFile, std::string tool, StationRunsListener& listener,
                int32_t barPixels);
    ~StationRuns() override;

    // Prepares and runs the job on these pods: every refusal before a pod is
    // touched, then the pods at once, then the boards' rows.
    void Start(const std::vector<std::string>& pods);
    // Every run ends at its next step.
    void Stop();
    // The job's counts and serial numbers in its store.
    void RefreshStore();
    // A run of the job goes on (a count of the store does not count).
    bool Running() const;

private:
    void RunJob(const std::vector<std::string>& pods, const StopRequest& stop);
    void Launch(bool isRun, const std::function<void(const StopRequest&)>& work);
    void Finish(int id);
    // Runs fn on the window's thread, later; dropped when this object is gone.
    void Post(std::function<void()> fn);

    station::PodStation& station_;
    std::string jobFile_;
    std::string tool_;
    StationRunsListener& listener_;
    int32_t barPixels_;
    int nextId_ = 0;
    struct Worker {
        std::shared_ptr<StopRequest> stop;
        std::thread thread;
        bool isRun = false;
    };
    std::map<int, Worker> workers_;
};

// The job's place in its store, as StoreView tells it; `reached` false when
// the store does not answer.
StoreView ViewOfStore(station::RecordStore& store, const std::string& job,
                      const std::optional<station::SerialPlan>& plan);

}  // namespace nembra
