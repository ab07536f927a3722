#include "station/JobRun.h"

#include <algorithm>

#include "ops/Operations.h"
#include "pod/PodLink.h"
#include "station/BoardRecord.h"
#include "station/CsmKeyFile.h"
#include "station/JsonText.h"
#include "station/PodSelection.h"
#include "station/PostgresConnection.h"
#include "station/SerialImage.h"

namespace nembra::station {
namespace {

bool Refuse(JobRefusal& refusal, const std::string& message, bool usage = false) {
    refusal = {message, usage};
    return false;
}

}  // namespace

nembra::Job JobOperation(const JobPlan& plan) {
    const Job& job = plan.job;
    nembra::Job operation;
    operation.command =
        job.command == JobFileCommand::PodWrite ? nembra::JobCommand::PodWrite : nembra::JobCommand::TargetWrite;
    operation.device = static_cast<int>(job.device);
    operation.filePath = plan.programPath;
    operation.eraseAll = job.erase == JobErase::All;
    operation.podFileName = job.podFileName;
    operation.verify = job.verify;
    operation.unlockCsm = job.csmKeysFile.has_value();
    return operation;
}

bool SelectJobPods(const Job& job, PodStation& station, const std::string& selector, std::vector<std::string>& serials,
                   std::string& error) {
    std::vector<PodEntry> entries;
    station.List(entries, false);
    std::string jobSelector;
    for (const std::string& pod : job.pods) jobSelector += (jobSelector.empty() ? "" : ",") + pod;
    if (jobSelector.empty()) jobSelector = "all";
    if (selector.empty()) return SelectPods(jobSelector, entries, serials, error);
    std::vector<std::string> jobPods;
    if (!SelectPods(selector, entries, serials, error) || !SelectPods(jobSelector, entries, jobPods, error))
        return false;
    for (const std::string& serial : serials) {
        if (std::find(jobPods.begin(), jobPods.end(), serial) != jobPods.end()) continue;
        error = "--pod: the job does not name the pod " + serial;
        return false;
    }
    return true;
}

JobRun::JobRun(const std::string& jobFile, const std::string& tool, const LockPatience& patience)
    : jobFile_(jobFile), tool_(tool), patience_(patience) {}

JobRun::~JobRun() { ReturnNumbers(); }

void JobRun::ReturnNumbers() {
    if (store_ != nullptr)
        for (uint64_t number : numbers_) store_->ReturnSerial(plan_.job.name, number);
    numbers_.clear();
}

bool JobRun::Plan(const std::string& tracePath, const std::string& targetHexPath, JobRefusal& refusal) {
    plan_ = PlanJob(jobFile_);
    if (!plan_.ok()) return Refuse(refusal, ProblemsText(plan_.problems));
    request_ = {};
    request_.job = JobOperation(plan_);
    request_.tracePath = tracePath;
    request_.targetHexPath = targetHexPath;
    request_.readFirmwareVersion = true;
    if (!request_.job.unlockCsm) return true;
    // The "K" and "P" frames carry the keys; a trace would hold them in the clear.
    if (!tracePath.empty())
        return Refuse(refusal, "--trace is refused for a job with a CSM key file: the trace would carry the keys",
                      true);
    CsmKeys keys;
    std::string error;
    if (!ReadCsmKeyFile(JobPath(plan_.jobFile, *plan_.job.csmKeysFile), keys, error)) return Refuse(refusal, error);
    for (size_t n = 0; n < keys.size(); ++n) request_.job.keys[n] = ParseKeyText(keys[n]);
    return true;
}

bool JobRun::OpenStore(JobRefusal& refusal, std::string& note) {
    StoreStatus status;
    store_ = OpenRecordStore(plan_.storeLocation, status);
    if (store_ == nullptr)
        return Refuse(refusal, "No pod was touched: the record store " + UrlForMessages(plan_.storeLocation) +
                                   " cannot be reached: " + status.message);
    RecordSpool spool(RecordSpool::PathFor(jobFile_), patience_);
    note = ReplaySpool(spool, *store_);
    return true;
}

bool JobRun::TakeBoards(const std::vector<std::string>& serials, JobRefusal& refusal) {
    serials_ = serials;
    if (store_ == nullptr) return Refuse(refusal, "No pod was touched: the record store is not open");
    if (plan_.job.serial) {
        const StoreStatus taken = store_->TakeSerials(plan_.job.name, *plan_.job.serial, serials_, numbers_);
        if (!taken.ok()) return Refuse(refusal, "No pod was touched: " + taken.message);
        boardNumbers_ = numbers_;
    }
    if (MakeImages(refusal.message)) return true;
    ReturnNumbers();
    return false;
}

bool JobRun::Prepare(const std::vector<std::string>& serials, JobRefusal& refusal, std::string& note) {
    return Plan({}, {}, refusal) && OpenStore(refusal, note) && TakeBoards(serials, refusal);
}

// Each pod's image: the plan's own, or a copy carrying the pod's number.
bool JobRun::MakeImages(std::string& error) {
    ProgramImage& image = *plan_.image;
    images_.clear();
    copies_.clear();
    if (!plan_.job.serial) {
        images_.assign(serials_.size(), &image);
        return true;
    }
    const SerialPlan& serial = *plan_.job.serial;
    if (!PrepareSerialImage(image, serial, *plan_.serial, plan_.job.device, error)) return false;
    for (uint64_t number : numbers_) {
        auto copy = std::make_unique<ProgramImage>();
        CopyImage(image, *copy);
        if (!WriteSerial(*copy, serial, number)) {
            error = "The serial number " + std::to_string(number) + " does not fit in " + std::to_string(serial.words) +
                    " word(s)";
            return false;
        }
        images_.push_back(copy.get());
        copies_.push_back(std::move(copy));
    }
    return true;
}

std::optional<uint64_t> JobRun::BoardSerial(size_t i) const {
    if (i < boardNumbers_.size()) return boardNumbers_[i];
    return std::nullopt;
}

std::vector<PodResult> JobRun::Run(PodStation& station, const StopRequest& stop, const StatusFactory& status,
                                   const PodDone& done, RecordLog* log) {
    const PodDone recordThenTell = [this, &done, log](size_t i, PodResult& pod) {
        RecordBoard(i, pod, log);
        if (done) done(i, pod);
    };
    return RunPodsAtOnce(request_, station, serials_, images_, stop, status, recordThenTell);
}

BoardRow JobRun::RowOf(size_t i, PodResult& pod, RecordLog* log) const {
    // Each board's words (its own number among them) have their own CRC-32.
    const RunFacts facts = CommandFacts(request_.job, image(i));
    const nlohmann::ordered_json record = BoardRecord(request_.job, tool_, facts, pod.serial, pod.facts, pod.outcome);
    std::string error;
    if (log != nullptr && log->isOpen() && !log->Append(JsonText(record), error)) pod.outcome.followUp = error;
    BoardRow row = RowFromJson(nlohmann::json::parse(record.dump()));
    row.job = plan_.job.name;
    row.station = StationName();
    row.operatorName = OperatorName();
    if (const auto number = BoardSerial(i)) row.boardSerial = *number;
    row.recordId = NewRecordId();
    return row;
}

void JobRun::RecordBoard(size_t i, PodResult& pod, RecordLog* log) {
    const std::lock_guard<std::mutex> lock(recording_);
    if (recorded_.size() <= i) recorded_.resize(i + 1, false);
    if (recorded_[i]) return;
    recorded_[i] = true;
    const std::optional<uint64_t> number = BoardSerial(i);
    if (number) pod.outcome.data["boardSerial"] = *number;
    const BoardRow row = RowOf(i, pod, log);
    if (!pod.outcome.followUp.empty()) pod.outcome.ok = false;
    // From here the row decides the number: kept by a pass, given back by a fail.
    if (number) numbers_.erase(std::remove(numbers_.begin(), numbers_.end(), *number), numbers_.end());
    const StoreStatus stored =
        store_ != nullptr ? store_->RecordAll({row}) : StoreStatus{StoreCode::Unreachable, "no record store is open"};
    if (stored.ok()) return;
    storeError_ = stored.message;
    pod.outcome.ok = false;
    RecordSpool spool(RecordSpool::PathFor(jobFile_), patience_);
    std::string error;
    if (!spool.Append(row, error)) {
        pod.outcome.followUp = "The record is lost: " + error;
        return;
    }
    ++spooled_;
    pod.outcome.followUp = "The store did not take the record; it waits in the spool " + spool.path();
}

std::string JobRun::Record(std::vector<PodResult>& pods, RecordLog* log) {
    for (size_t i = 0; i < pods.size(); ++i) RecordBoard(i, pods[i], log);
    const std::lock_guard<std::mutex> lock(recording_);
    if (storeError_.empty()) return {};
    return "The store did not take the run's records (" + storeError_ + "); " + std::to_string(spooled_) +
           " record(s) wait in the spool " + RecordSpool::PathFor(jobFile_) +
           " for the next run or 'nembra-cli records'";
}

}  // namespace nembra::station
