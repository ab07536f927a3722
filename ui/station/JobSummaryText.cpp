#include "ui/station/JobSummaryText.h"

#include <QFileInfo>

#include "station/BoardRecord.h"
#include "station/JobRun.h"
#include "station/SerialImage.h"

namespace nembra {
namespace {

constexpr int kShortHashDigits = 12;

QString EraseText(const station::JobPlan& plan) {
    const station::Job& job = plan.job;
    if (job.command == station::JobFileCommand::PodWrite)
        return QStringLiteral("none here (the pod programs the boards)");
    if (!IsF281x(job.device)) return QStringLiteral("all (the LF240xA always erases all)");
    if (job.erase == station::JobErase::All) return QStringLiteral("all");
    if (plan.eraseMask == 0) return QStringLiteral("intelligent");
    return QStringLiteral("intelligent (sector%1 %2)")
        .arg(plan.eraseMask & (plan.eraseMask - 1) ? QStringLiteral("s") : QString())
        .arg(QString::fromStdString(station::SectorLetters(plan.eraseMask)));
}

QString CrcText(const station::JobPlan& plan) {
    if (!plan.image) return QStringLiteral("unknown (the program did not load)");
    const station::RunFacts facts = station::CommandFacts(station::JobOperation(plan), plan.image.get());
    if (!facts.wordsCrc32) return QStringLiteral("unknown");
    return QStringLiteral("%1").arg(*facts.wordsCrc32, 8, 16, QLatin1Char('0')).toUpper();
}

}  // namespace

QString NextSerialText(bool hasPlan, const std::optional<uint64_t>& next) {
    if (!hasPlan) return QStringLiteral("no serial numbers");
    return next ? QString::number(*next) : QStringLiteral("none left");
}

QString SerialsLeftText(bool hasPlan, uint64_t left) { return hasPlan ? QString::number(left) : QStringLiteral("-"); }

JobSummary SummaryOf(const station::JobPlan& plan) {
    const station::Job& job = plan.job;
    JobSummary s;
    s.name = QString::fromStdString(job.name);
    s.device = QString::fromLatin1(DeviceInfo(job.device).cliName.data(),
                                   static_cast<int>(DeviceInfo(job.device).cliName.size()));
    s.program = QFileInfo(QString::fromStdString(plan.programPath)).fileName();
    // The job's own hash: what the engineer approved, which the file must match.
    s.sha256 = QString::fromStdString(job.programSha256.substr(0, kShortHashDigits));
    s.crc32 = CrcText(plan);
    s.erase = EraseText(plan);
    s.csm = job.csmKeysFile ? QStringLiteral("used") : QStringLiteral("not used");
    const bool hasPlan = job.serial.has_value();
    s.nextSerial = NextSerialText(hasPlan, hasPlan ? std::optional<uint64_t>(job.serial->first) : std::nullopt);
    s.serialsLeft = SerialsLeftText(hasPlan, plan.serialCount);
    return s;
}

}  // namespace nembra
