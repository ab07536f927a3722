#include "station/JobPlan.h"

#include "image/FlashSectors.h"
#include "image/LoadCoffFile.h"
#include "station/FileDigest.h"
#include "station/RecordStore.h"
#include "status/StatusSink.h"

namespace nembra::station {
namespace {

// Keeps the loader's last line, which says why a load failed.
class LastLine : public StatusSink {
public:
    void ShowMessage(const std::string& text, bool isError) override {
        line = text;
        error = isError;
    }
    void SetRange(int32_t, int32_t) override {}
    void SetStep(int32_t) override {}
    int32_t SetPos(int32_t) override { return 0; }
    int32_t StepIt() override { return 0; }

    std::string line;
    bool error = false;
};

void LoadProgram(JobPlan& plan) {
    plan.image = std::make_unique<ProgramImage>();
    DeviceType device = plan.job.device;
    ClearImage(*plan.image, device);
    RecentFiles recent;
    LastLine status;
    LoadContext load{*plan.image, device, plan.job.device, recent, status};
    if (!LoadCoffFile(load, plan.programPath, false) || !plan.image->imageLoaded) {
        plan.problems.push_back("cannot load the program " + plan.programPath + ": " +
                                (status.line.empty() ? "the file was not read" : status.line));
        plan.image.reset();
        return;
    }
    if (IsF281x(device)) plan.programSectorMask = plan.image->flashSummary.flashSectorMask;
}

void PlaceSerialNumber(JobPlan& plan) {
    if (!plan.job.serial || !plan.image) return;
    plan.serial = PlaceSerial(*plan.job.serial, *plan.image, plan.job.device);
    for (const std::string& problem : plan.serial->problems) plan.problems.push_back(problem);
}

void ComputeEraseMask(JobPlan& plan) {
    if (!IsF281x(plan.job.device) || plan.job.command != JobFileCommand::Write || !plan.image) return;
    const uint16_t all = AllSectorsMask(plan.job.device);
    const uint16_t serial = plan.serial ? plan.serial->sectorMask : 0;
    plan.eraseMask =
        plan.job.erase == JobErase::All ? all : static_cast<uint16_t>((plan.programSectorMask | serial) & all);
}

}  // namespace

JobPlan PlanJob(const std::string& jobFile) {
    JobPlan plan;
    plan.jobFile = jobFile;
    JobRead read = ReadJobFile(jobFile);
    plan.jobRead = read.parsed;
    plan.job = std::move(read.job);
    plan.problems = std::move(read.problems);
    if (plan.job.program.empty()) return plan;
    plan.programPath = JobPath(jobFile, plan.job.program);
    plan.programSha256 = FileSha256(plan.programPath);
    for (std::string& problem : CheckJob(plan.job, jobFile)) plan.problems.push_back(std::move(problem));
    plan.storeLocation = StoreLocation(plan.job.store, jobFile);
    if (plan.job.serial) plan.serialCount = SerialCount(*plan.job.serial);
    if (!plan.programSha256.empty()) LoadProgram(plan);
    PlaceSerialNumber(plan);
    ComputeEraseMask(plan);
    return plan;
}

std::string ProblemsText(const std::vector<std::string>& problems) {
    std::string text = "The job has " + std::to_string(problems.size()) + " problem(s):";
    for (const std::string& problem : problems) text += "\n  - " + problem;
    return text;
}

}  // namespace nembra::station
