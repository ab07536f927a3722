#pragma once
#include "station/JobPlan.h"
#include "ui/station/JobSummaryView.h"

namespace nembra {

// The job as the operator is shown it, from its plan; the serial-number
// rows say what the plan gives until the store has told where it stands.
JobSummary SummaryOf(const station::JobPlan& plan);

// "1004", or "none left"; "no serial numbers" for a job without a plan.
QString NextSerialText(bool hasPlan, const std::optional<uint64_t>& next);
QString SerialsLeftText(bool hasPlan, uint64_t left);

}  // namespace nembra
