#include <QTest>

#include "tests/ui/PaintCounter.h"
#include "tests/ui/WindowFixture.h"

namespace nembra::testing {
namespace {

using WindowOperations = WindowFixture;

// What the user sees while the operation holds the thread: every message is
// painted inside the call, with the seven buttons disabled.
TEST_F(WindowOperations, TargetWriteDisablesTheButtonsWhileItRuns) {
    const std::string program = F281xProgram("prog.out");
    Open();
    c().filePath->setEditText(QString::fromStdString(program));
    int paintsWhileLocked = 0;
    int progressPaints = 0;
    PaintCounter messages(c().message, [&] {
        if (AllButtons(false)) ++paintsWhileLocked;
    });
    PaintCounter bar(c().progress, [&] { ++progressPaints; });
    c().targetWrite->click();
    EXPECT_GT(paintsWhileLocked, 0);
    EXPECT_GT(progressPaints, 0);
    EXPECT_TRUE(AllButtons(true));
    EXPECT_EQ(Message().rfind("Flash Write Completed - ", 0), 0u) << Message();
    EXPECT_FALSE(MessageIsError());
    EXPECT_EQ(c().progress->model().pos(), 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the busy cursor is restored";
    const ImageSection& section = window->session().image.sections.front();
    EXPECT_EQ(rig.pod.TargetFlashWord(0x3F6000), window->session().image.DataWord(section, 0));
    EXPECT_EQ(rig.pod.TargetFlashWord(0x3F6000 + 199), window->session().image.DataWord(section, 199));
}

// A click made while the buttons were disabled must not start a second
// operation once they come back.
TEST_F(WindowOperations, ClicksMadeWhileBusyAreDropped) {
    const std::string program = F281xProgram("prog.out");
    Open();
    c().filePath->setEditText(QString::fromStdString(program));
    bool posted = false;
    PaintCounter messages(c().message, [&] {
        if (!posted && AllButtons(false)) {
            PostClick(c().targetReset);
            posted = true;
        }
    });
    c().targetWrite->click();
    QApplication::processEvents();
    ASSERT_TRUE(posted);
    EXPECT_EQ(Message().rfind("Flash Write Completed - ", 0), 0u) << Message();
}

TEST_F(WindowOperations, ShortOperationsReportThroughTheMessageLine) {
    Open();
    c().podInfo->click();
    EXPECT_EQ(Message().rfind("POD Ver: ", 0), 0u) << Message();
    c().targetReset->click();
    EXPECT_EQ(Message(), "Target board's reset is successful");
    EXPECT_FALSE(window->session().link.connected()) << "the pod is never held between presses";
}

TEST_F(WindowOperations, LoadWithAnEmptyPathAsksForAFile) {
    Open();
    c().filePath->setEditText("   ");
    c().load->click();
    EXPECT_EQ(Message(), "Please, specify COFF file to read");
    EXPECT_TRUE(MessageIsError());
}

TEST_F(WindowOperations, PodWriteStoresTheNameShownInTheField) {
    const std::string program = F281xProgram("firmware1.out");
    Open();
    c().filePath->setEditText(QString::fromStdString(program));
    c().podWrite->click();
    EXPECT_FALSE(MessageIsError()) << Message();
    EXPECT_EQ(c().podFileName->text(), "firmware") << Message();
    EXPECT_TRUE(AllButtons(true));
    c().podVerify->click();
    EXPECT_FALSE(MessageIsError()) << Message();
    Close();
    EXPECT_EQ(settings.Get("Main Configuration/EEP File Name").toString(), "firmware");
}

TEST_F(WindowOperations, ARealTiProgramRunsThroughTheWindow) {
    const std::string file = std::string(NEMBRA_TESTDATA_DIR) + "/ti-coff/TB3CM_DSP_Code.out";
    if (!QFile::exists(QString::fromStdString(file))) GTEST_SKIP() << "TI test files not found at " << file;
    Open();
    c().filePath->setEditText(QString::fromStdString(file));
    c().load->click();
    ASSERT_EQ(Message(), "Reading COFF file is successful");
    c().targetWrite->click();
    EXPECT_EQ(Message().rfind("Flash Write Completed - ", 0), 0u) << Message();
}

}  // namespace
}  // namespace nembra::testing
