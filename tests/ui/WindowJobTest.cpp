#include "tests/ui/WindowFixture.h"
#include "ui/WindowJob.h"

namespace nembra::testing {
namespace {

using WindowJob = WindowFixture;

TEST_F(WindowJob, TheControlsBecomeTheJob) {
    Open();
    c().deviceList->setCurrentIndex(3);
    c().eraseAll->setChecked(true);
    c().filePath->setEditText(QStringLiteral(" /tmp/p.out "));
    c().podFileName->setText(QStringLiteral("BOARD"));
    const Job job = JobFromControls(c(), JobCommand::PodWrite, false);
    EXPECT_EQ(job.command, JobCommand::PodWrite);
    EXPECT_EQ(job.device, 3);
    EXPECT_TRUE(job.eraseAll);
    EXPECT_EQ(job.filePath, " /tmp/p.out ") << "the operations trim it";
    EXPECT_EQ(job.podFileName, "BOARD");
    EXPECT_FALSE(job.verify);
}

TEST_F(WindowJob, KeyFieldsAreReadOnlyWhileUnlockIsTicked) {
    Open();
    for (int n = 0; n < 8; ++n) c().keyFields[n]->setText(QString::asprintf("%04X", n + 1));
    const Job unticked = JobFromControls(c(), JobCommand::TargetWrite, true);
    EXPECT_FALSE(unticked.unlockCsm);
    EXPECT_EQ(unticked.keys, kNoPassword);

    c().unlockCsm->setChecked(true);
    const Job ticked = JobFromControls(c(), JobCommand::TargetWrite, true);
    EXPECT_TRUE(ticked.unlockCsm);
    EXPECT_EQ(ticked.keys, (CsmKeyTable{1, 2, 3, 4, 5, 6, 7, 8}));
}

// The window does not check what is typed; the job carries what the text reads as.
TEST_F(WindowJob, KeyTextsAreReadAsHexadecimalWords) {
    Open();
    c().unlockCsm->setChecked(true);
    const char* texts[] = {"", "12G4", "AB", "0", "FFFF", "G", "7", "1234"};
    for (int n = 0; n < 8; ++n) c().keyFields[n]->setText(QString::fromLatin1(texts[n]));
    const Job job = JobFromControls(c(), JobCommand::PodWrite, true);
    EXPECT_EQ(job.keys, (CsmKeyTable{0xFFFF, 0x0012, 0x00AB, 0x0000, 0xFFFF, 0x0000, 0x0007, 0x1234}));
}

TEST_F(WindowJob, TheFilePathIsReadByLoadAndOtherwiseOnlyWithoutAnImage) {
    Open();
    c().filePath->setEditText(QStringLiteral("/tmp/p.out"));
    EXPECT_EQ(JobFromControls(c(), JobCommand::TargetWrite, false).filePath, "/tmp/p.out");
    EXPECT_TRUE(JobFromControls(c(), JobCommand::TargetWrite, true).filePath.empty());
    EXPECT_TRUE(JobFromControls(c(), JobCommand::PodVerify, true).filePath.empty());
    EXPECT_EQ(JobFromControls(c(), JobCommand::Load, true).filePath, "/tmp/p.out");
}

// The operation tells the window the POD file name it chose; the field shows it.
TEST_F(WindowJob, APodWriteShowsTheChosenNameInTheField) {
    Open();
    const std::string path = F281xProgram("firmware1.out");
    c().filePath->setEditText(QString::fromStdString(path));
    c().podFileName->clear();
    c().podWrite->click();
    EXPECT_EQ(c().podFileName->text(), "firmware") << Message();
    EXPECT_EQ(window->session().eepFileName, "firmware");
    EXPECT_TRUE(AllButtons(true));
}

}  // namespace
}  // namespace nembra::testing
