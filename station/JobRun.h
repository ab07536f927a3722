#pragma once
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "files/BoundedLock.h"
#include "image/ProgramImage.h"
#include "station/GangRun.h"
#include "station/JobPlan.h"
#include "station/PodRun.h"
#include "station/PodStation.h"
#include "station/RecordLog.h"
#include "station/RecordSpool.h"
#include "station/RecordStore.h"

namespace nembra::station {

// Why a job run did not start; nothing was touched.
struct JobRefusal {
    std::string message;
    bool usage = false;  // the way the run was asked for is at fault, not the job
};

// The operation a job asks of each pod, without its CSM keys.
nembra::Job JobOperation(const JobPlan& plan);

// The pods of the job that are attached, in the job's order (every pod with
// the pod's description when the job names none), or those of them that
// `selector` (as --pod takes it) picks. False, with the reason, when one is
// missing or not the job's.
bool SelectJobPods(const Job& job, PodStation& station, const std::string& selector, std::vector<std::string>& serials,
                   std::string& error);

// One run of a job file on chosen pods: every check that can refuse it
// comes before any pod is touched; each pod's image then carries its own
// serial number, and each board's row goes to the record store, or, when
// the store does not take it, to the spool beside the job, which the next
// run writes. Several runs of one job may go on at once on different pods:
// the store gives each board its own number.
class JobRun {
public:
    // `tool` names the program and its version in each record.
    JobRun(const std::string& jobFile, const std::string& tool, const LockPatience& patience = {});
    ~JobRun();
    JobRun(const JobRun&) = delete;
    JobRun& operator=(const JobRun&) = delete;

    // Plans the job as its file and its program are now (a program changed
    // since the job was made is refused) and reads its CSM keys. A trace
    // would hold the keys in the clear, so a job with keys refuses one.
    bool Plan(const std::string& tracePath, const std::string& targetHexPath, JobRefusal& refusal);
    // Opens the record store and writes what a former run left in the spool;
    // `note` says what the spool held, empty when nothing.
    bool OpenStore(JobRefusal& refusal, std::string& note);
    // Takes a serial number for each pod and makes each pod's image; on a
    // refusal no number stays taken.
    bool TakeBoards(const std::vector<std::string>& serials, JobRefusal& refusal);
    // The three above, in order.
    bool Prepare(const std::vector<std::string>& serials, JobRefusal& refusal, std::string& note);

    // Runs the job on its pods at once; `stop` ends them at their next step.
    // Each board's row is recorded (see Record) on its pod's thread the
    // moment that pod ends, before `done` is told, so a board that passed
    // keeps its record whatever becomes of the pods still working.
    std::vector<PodResult> Run(PodStation& station, const StopRequest& stop, const StatusFactory& status,
                               const PodDone& done = nullptr, RecordLog* log = nullptr);
    // The row of each board not yet recorded goes to the store, else to the
    // spool, with a line to `log` when it is open. A board whose row is not
    // stored is failed with the reason as its follow-up; the returned note
    // says what the spool holds from this run, empty when the store took
    // every row.
    std::string Record(std::vector<PodResult>& pods, RecordLog* log);

    const JobPlan& plan() const { return plan_; }
    const PodRequest& request() const { return request_; }
    const std::vector<std::string>& serials() const { return serials_; }
    // The board serial number of pod `i`, when the job has a serial-number plan.
    std::optional<uint64_t> BoardSerial(size_t i) const;
    RecordStore* store() { return store_.get(); }
    // The words pod `i` is sent.
    const ProgramImage* image(size_t i) const { return i < images_.size() ? images_[i] : nullptr; }

private:
    bool MakeImages(std::string& error);
    BoardRow RowOf(size_t i, PodResult& pod, RecordLog* log) const;
    void RecordBoard(size_t i, PodResult& pod, RecordLog* log);
    void ReturnNumbers();

    std::string jobFile_;
    std::string tool_;
    LockPatience patience_;
    JobPlan plan_;
    PodRequest request_;
    std::vector<std::string> serials_;
    std::unique_ptr<RecordStore> store_;
    std::vector<uint64_t> numbers_;       // one per pod with a serial-number plan; taken until recorded
    std::vector<uint64_t> boardNumbers_;  // the same, kept for showing after the rows are recorded
    std::vector<std::unique_ptr<ProgramImage>> copies_;
    std::vector<const ProgramImage*> images_;
    // Pods end on their own threads; their rows reach the store, the spool
    // and the log one at a time.
    std::mutex recording_;
    std::vector<bool> recorded_;  // per pod
    size_t spooled_ = 0;          // rows of this run the store did not take
    std::string storeError_;      // why, the last time
};

}  // namespace nembra::station
