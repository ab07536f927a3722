#include "ui/station/StationRuns.h"

#include <QMetaObject>
#include <algorithm>

#include "station/JobRun.h"
#include "status/OutcomeWords.h"

namespace nembra {
namespace {

// Why a board failed, in words: its failing step and cause, or, for a row
// the store did not take (a failure without a failing step), what became of it.
std::string FailureOf(const station::PodResult& pod) {
    if (pod.outcome.ok) return {};
    const std::string words = FailureWords(pod.outcome.failure);
    if (!words.empty()) return words;
    return pod.outcome.followUp.empty() ? pod.outcome.message : pod.outcome.followUp;
}

BoardResult ResultOf(const station::JobRun& run, size_t i, const station::PodResult& pod) {
    BoardResult board;
    board.pod = pod.serial;
    board.passed = pod.outcome.ok;
    board.unfinished = pod.unfinished;
    const std::string& followUp = pod.outcome.followUp;
    board.failure = FailureOf(pod);
    board.line = pod.outcome.message;
    if (!followUp.empty() && board.failure != followUp) board.line += "\n" + followUp;
    board.boardSerial = run.BoardSerial(i);
    return board;
}

}  // namespace

StoreView ViewOfStore(station::RecordStore& store, const std::string& job,
                      const std::optional<station::SerialPlan>& plan) {
    StoreView view;
    station::RecordFilter filter;
    filter.job = job;
    station::StoreStatus status = store.Count(filter, view.counts);
    view.hasSerialPlan = plan.has_value();
    if (status.ok() && plan) status = store.NextSerial(job, *plan, view.nextSerial);
    if (status.ok() && plan) status = store.SerialsLeft(job, *plan, view.serialsLeft);
    view.reached = status.ok();
    view.why = status.message;
    return view;
}

StationRuns::StationRuns(station::PodStation& station, std::string jobFile, std::string tool,
                         StationRunsListener& listener, int32_t barPixels)
    : station_(station),
      jobFile_(std::move(jobFile)),
      tool_(std::move(tool)),
      listener_(listener),
      barPixels_(barPixels) {}

StationRuns::~StationRuns() {
    Stop();
    for (auto& [id, worker] : workers_) worker.thread.join();
}

void StationRuns::Post(std::function<void()> fn) {
    QMetaObject::invokeMethod(this, std::move(fn), Qt::QueuedConnection);
}

void StationRuns::Launch(bool isRun, const std::function<void(const StopRequest&)>& work) {
    const int id = nextId_++;
    Worker& worker = workers_[id];
    worker.isRun = isRun;
    worker.stop = std::make_shared<StopRequest>();
    worker.thread = std::thread([this, id, work, stop = worker.stop] {
        work(*stop);
        Post([this, id] { Finish(id); });
    });
}

// The worker's last act was to post this, so the join is immediate.
void StationRuns::Finish(int id) {
    const auto found = workers_.find(id);
    if (found == workers_.end()) return;
    found->second.thread.join();
    workers_.erase(found);
}

void StationRuns::Start(const std::vector<std::string>& pods) {
    Launch(true, [this, pods](const StopRequest& stop) { RunJob(pods, stop); });
}

bool StationRuns::Running() const {
    return std::any_of(workers_.begin(), workers_.end(), [](const auto& entry) { return entry.second.isRun; });
}

void StationRuns::Stop() {
    for (auto& [id, worker] : workers_) worker.stop->Request();
}

void StationRuns::RefreshStore() {
    Launch(false, [this](const StopRequest&) {
        const station::JobPlan plan = station::PlanJob(jobFile_);
        station::StoreStatus status;
        auto store = station::OpenRecordStore(plan.storeLocation, status);
        StoreView view;
        if (store != nullptr)
            view = ViewOfStore(*store, plan.job.name, plan.job.serial);
        else
            view.why = status.message;
        Post([this, view] { listener_.OnStoreView(view); });
    });
}

void StationRuns::RunJob(const std::vector<std::string>& pods, const StopRequest& stop) {
    station::JobRun run(jobFile_, tool_);
    station::JobRefusal refusal;
    std::string note;
    if (!run.Prepare(pods, refusal, note)) {
        Post([this, pods, message = refusal.message] { listener_.OnRefused(pods, message); });
        return;
    }
    if (!note.empty()) Post([this, note] { listener_.OnNote(note); });
    const station::StatusFactory status = [this, &pods](size_t pod, OpsClock&) -> std::unique_ptr<StatusSink> {
        const std::string serial = pods[pod];
        return std::make_unique<TileStatus>(
            [this, serial](const TileUpdate& update) {
                Post([this, serial, update] { listener_.OnTileUpdate(serial, update); });
            },
            barPixels_);
    };
    // Each tile shows its board's pass or fail the moment its pod ends and
    // its row is recorded, from the pod's outcome.
    const station::PodDone done = [this](size_t, const station::PodResult& pod) {
        TileUpdate update;
        update.text = pod.outcome.message;
        update.finished = true;
        update.passed = pod.outcome.ok;
        update.failure = FailureOf(pod);
        Post([this, serial = pod.serial, update] { listener_.OnTileUpdate(serial, update); });
    };
    std::vector<station::PodResult> results = run.Run(station_, stop, status, done);
    RunReport report;
    report.note = run.Record(results, nullptr);
    report.unfinishedLine = station::UnfinishedLine(results);
    for (size_t i = 0; i < results.size(); ++i) report.boards.push_back(ResultOf(run, i, results[i]));
    if (run.store() != nullptr) report.store = ViewOfStore(*run.store(), run.plan().job.name, run.plan().job.serial);
    Post([this, pods, report] { listener_.OnFinished(pods, report); });
}

}  // namespace nembra
