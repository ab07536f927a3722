#include <gtest/gtest.h>

#include "station/PodRun.h"
#include "station/WritePlan.h"
#include "status/Messages.h"
#include "status/QuietStatus.h"
#include "tests/support/CoffBuilder.h"

namespace nembra::station {
namespace {

// The program loaded for a device as a write loads it.
class WritePlanTest : public ::testing::Test {
protected:
    const ProgramImage& Load(const std::vector<testing::CoffSectionPlan>& sections, DeviceType device) {
        testing::CoffFilePlan coff;
        coff.sections = sections;
        coff.targetId = IsF281x(device) ? 0x009D : 0x0092;
        nembra::Job job;
        job.filePath = dir.Write("app" + std::to_string(++files) + ".out", testing::BuildCoff(coff));
        job.device = device;
        QuietStatus status;
        const auto failed = LoadSharedImage(job, image, status);
        loaded = !failed.has_value();
        if (failed) ADD_FAILURE() << failed->message;
        return image;
    }
    static testing::CoffSectionPlan Section(const char* name, uint32_t address, size_t words) {
        testing::CoffSectionPlan section;
        section.name = name;
        section.address = address;
        section.words = testing::Pattern(words, 2);
        return section;
    }

    testing::TempDir dir;
    ProgramImage image;
    bool loaded = false;
    int files = 0;
};

// An F281x flash program sends its flash words only; the pod keeps them alone.
TEST_F(WritePlanTest, AnF281xFlashProgramLeavesItsRamSectionsOut) {
    const ProgramImage& loadedImage = Load({Section("text", 0x3E8000, 32), Section("ramfuncs", 0x8000, 16)}, 4);
    ASSERT_TRUE(loaded);
    const WritePlan plan = MakeWritePlan(loadedImage, 4);
    EXPECT_TRUE(plan.f281x);
    EXPECT_EQ(plan.intelligentEraseMask, 0x0010);  // sector E
    EXPECT_EQ(plan.eraseAllMask, 0x03FF);
    EXPECT_EQ(plan.flashWords, 32u);
    EXPECT_EQ(plan.skippedWords, 16u);
    EXPECT_EQ(plan.ramWords, 0u);
    EXPECT_EQ(plan.podSectionCount, 1);
    EXPECT_EQ(plan.podBytes, 64u);
    EXPECT_EQ(plan.targetWriteRefusal, "");
    EXPECT_EQ(plan.podWriteRefusal, "");
}

TEST_F(WritePlanTest, AnF281xRamProgramIsDownloadedAndCannotBeStored) {
    ASSERT_TRUE((Load({Section("text", 0x8000, 20)}, 4), loaded));
    const WritePlan plan = MakeWritePlan(image, 4);
    EXPECT_EQ(plan.ramWords, 20u);
    EXPECT_EQ(plan.flashWords, 0u);
    EXPECT_EQ(plan.intelligentEraseMask, 0);
    EXPECT_EQ(plan.targetWriteRefusal, "");
    EXPECT_EQ(plan.podWriteRefusal, messages::kNoFlashSection);
}

// On the LF240xA the pod's flash algorithm places every word of every section.
TEST_F(WritePlanTest, AnLf240xProgramSendsEverySection) {
    ASSERT_TRUE((Load({Section("text", 0x0000, 40), Section("vectors", 0x7000, 8)}, 1), loaded));
    const WritePlan plan = MakeWritePlan(image, 1);
    EXPECT_FALSE(plan.f281x);
    EXPECT_EQ(plan.flashWords, 48u);
    EXPECT_EQ(plan.podSectionCount, 2);
    EXPECT_EQ(plan.podBytes, 96u);
    EXPECT_EQ(plan.podWriteRefusal, "");
}

}  // namespace
}  // namespace nembra::station
