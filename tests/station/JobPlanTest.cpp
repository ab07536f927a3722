#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "station/FileDigest.h"
#include "station/JobPlan.h"
#include "station/RecordStore.h"
#include "tests/support/CoffBuilder.h"

namespace nembra::station {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

class JobPlanTest : public ::testing::Test {
protected:
    // An F2812 program in sector E with a placeholder at 0x3E8010..0x3E8011.
    std::string WriteJob(const std::string& serial, const std::string& extra = "") {
        testing::CoffSectionPlan text;
        text.name = "text";
        text.address = 0x3E8000;
        text.words = testing::Pattern(32, 1);
        text.words[16] = text.words[17] = 0xFFFF;
        testing::CoffFilePlan coff;
        coff.sections = {text};
        const std::string program = dir.Write("app.out", testing::BuildCoff(coff));
        const std::string job = dir.path() + "/line.toml";
        std::ofstream(job) << "name = \"line\"\ndevice = \"f2812\"\ncommand = \"write\"\nprogram = \"app.out\"\n"
                           << "program_sha256 = \"" << FileSha256(program) << "\"\n"
                           << extra << serial;
        return job;
    }
    static std::string Serial(const std::string& address, int words = 2) {
        return "[serial]\naddress = " + address + "\nwords = " + std::to_string(words) +
               "\nencoding = \"bcd\"\nfirst = 1\nlast = 500\n";
    }
    testing::TempDir dir;
};

TEST_F(JobPlanTest, ASerialNumberOutsideTheProgramAddsItsSector) {
    const JobPlan plan = PlanJob(WriteJob(Serial("0x3F7F00")));
    ASSERT_THAT(plan.problems, IsEmpty());
    ASSERT_TRUE(plan.image);
    EXPECT_EQ(plan.programSectorMask, 0x0010);  // E
    ASSERT_TRUE(plan.serial);
    EXPECT_EQ(plan.serial->form, SerialForm::OwnSection);
    EXPECT_EQ(plan.serial->addedSectorMask, 0x0001);  // A
    EXPECT_EQ(plan.eraseMask, 0x0011);
    EXPECT_EQ(plan.serialCount, 500u);
    EXPECT_EQ(plan.storeLocation, DefaultStorePath());
}

TEST_F(JobPlanTest, APlaceholderNeedsNoMoreSectors) {
    const JobPlan plan = PlanJob(WriteJob(Serial("0x3E8010"), "erase = \"all\"\n"));
    ASSERT_THAT(plan.problems, IsEmpty());
    EXPECT_EQ(plan.serial->form, SerialForm::Placeholder);
    EXPECT_EQ(plan.eraseMask, 0x03FF);
}

TEST_F(JobPlanTest, EveryBadPlanIsRefusedWithItsOwnMessage) {
    EXPECT_THAT(PlanJob(WriteJob(Serial("0x3E8011"))).problems, ElementsAre(HasSubstr("not 0xFFFF (at 0x3E8012)")));
    EXPECT_THAT(PlanJob(WriteJob(Serial("0x3F7FFE"))).problems, ElementsAre(HasSubstr("CSM password words")));
    EXPECT_THAT(PlanJob(WriteJob(Serial("0x3E801F"))).problems,
                ElementsAre(HasSubstr("partly inside the program"), HasSubstr("not 0xFFFF (at 0x3E801F)")));
    EXPECT_THAT(PlanJob(WriteJob(Serial("0x008000"))).problems, ElementsAre(HasSubstr("outside the F2812's flash")));
    // A job with problems in its text and in its serial plan shows all of them.
    EXPECT_THAT(PlanJob(WriteJob(Serial("0x3F7FFE"), "colour = 1\n")).problems,
                UnorderedElementsAre(HasSubstr("unknown key \"colour\""), HasSubstr("CSM password words")));
}

TEST_F(JobPlanTest, AProgramThatDoesNotLoadIsAProblem) {
    const std::string job = WriteJob("");
    std::ofstream(dir.path() + "/app.out") << "not a program";
    const JobPlan plan = PlanJob(job);
    EXPECT_THAT(plan.problems, ElementsAre(HasSubstr("has SHA-256"), HasSubstr("cannot load the program")));
    EXPECT_FALSE(plan.image);
}

}  // namespace
}  // namespace nembra::station
