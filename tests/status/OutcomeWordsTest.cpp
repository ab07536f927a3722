#include <gtest/gtest.h>

#include <set>
#include <string>

#include "status/OutcomeWords.h"

namespace nembra {
namespace {

TEST(OutcomeWords, AFailureSaysTheStepTheCauseAndWhere) {
    EXPECT_EQ(FailureWords(StepOutcome::Failed(Step::FlashWrite, LinkOutcome::Of(Cause::NoReply),
                                               Where{Where::Kind::Address, 0x3F6028})),
              "Writing the flash: the pod did not answer (address 3F6028)");
    EXPECT_EQ(
        FailureWords(StepOutcome::Failed(Step::Erase, LinkOutcome::Of(Cause::Refused), Where{Where::Kind::Sector, 2})),
        "Erasing the flash: the pod refused the command (sector C)");
    EXPECT_EQ(FailureWords(StepOutcome::Failed(Step::Connect, LinkOutcome::Of(Cause::Unplugged))),
              "Connecting to the pod: the pod was unplugged");
    EXPECT_EQ(FailureWords(StepOutcome::Success()), "");
}

// Each step and cause has words of its own, so no two failures read alike.
TEST(OutcomeWords, EveryStepAndCauseHasItsOwnWords) {
    std::set<std::string> steps;
    for (int s = 0; s <= static_cast<int>(Step::CompareData); ++s) steps.insert(StepWords(static_cast<Step>(s)));
    EXPECT_EQ(steps.size(), static_cast<size_t>(Step::CompareData) + 1);
    std::set<std::string> causes;
    for (int c = 0; c <= static_cast<int>(Cause::WrongPassword); ++c) causes.insert(CauseWords(static_cast<Cause>(c)));
    EXPECT_EQ(causes.size(), static_cast<size_t>(Cause::WrongPassword) + 1);
}

}  // namespace
}  // namespace nembra
