#include <QTest>
#include <cstdio>
#include <filesystem>

#include "tests/ui/PaintCounter.h"
#include "tests/ui/WindowFixture.h"

namespace nembra::testing {
namespace {

const char* const kChanged = "prog.out has changed on disk since it was loaded; Load reads it again";
const char* const kGone = "prog.out is gone from disk; the image loaded from it stays in use";
const char* const kOlder = "Writing the image loaded before prog.out changed on disk";

// The window watches the file behind its image: a rebuilt, replaced or
// deleted program is reported at once and again as a write starts, and the
// image stays what was loaded until Load reads the file again.
class WindowFileWatch : public WindowFixture {
protected:
    // Loads prog.out (200 words) through the Load button.
    void OpenWithProgram() {
        program = F281xProgram("prog.out");
        Open();
        c().filePath->setEditText(QString::fromStdString(program));
        c().load->click();
        ASSERT_TRUE(window->session().image.imageLoaded) << Message();
        ASSERT_EQ(window->session().image.totalBytes, 400u);
    }
    // A rebuild: the same name, more words.
    void Rebuild(size_t words = 300) { F281xProgram("prog.out", 0x3F6000, words); }
    bool MessageBecomes(const std::string& text) {
        return QTest::qWaitFor([&] { return Message() == text; }, 5000);
    }
    // Every message painted while the button's operation ran.
    std::vector<std::string> Click(QAbstractButton* button) {
        std::vector<std::string> shown;
        PaintCounter messages(c().message, [&] {
            if (shown.empty() || shown.back() != Message()) shown.push_back(Message());
        });
        button->click();
        return shown;
    }

    std::string program;
};

TEST_F(WindowFileWatch, RebuiltFileIsReportedAtOnceAndAgainAsTheWriteStarts) {
    OpenWithProgram();
    const uint16_t loadedWord = window->session().image.DataWord(window->session().image.sections.front(), 0);
    Rebuild();
    ASSERT_TRUE(MessageBecomes(kChanged)) << Message();
    EXPECT_FALSE(MessageIsError());
    EXPECT_EQ(window->session().image.totalBytes, 400u) << "the window does not reload by itself";

    const std::vector<std::string> shown = Click(c().targetWrite);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.front(), kOlder);
    EXPECT_EQ(Message().rfind("Flash Write Completed - ", 0), 0u) << Message();
    EXPECT_EQ(rig.pod.TargetFlashWord(0x3F6000), loadedWord);
    EXPECT_EQ(rig.pod.TargetFlashWord(0x3F6000 + 250), 0xFFFF) << "the older, shorter image was written";

    c().load->click();
    EXPECT_EQ(window->session().image.totalBytes, 600u);
    const std::vector<std::string> after = Click(c().podWrite);
    ASSERT_FALSE(after.empty());
    EXPECT_NE(after.front(), kOlder) << "the new file is what was loaded";
    EXPECT_EQ(Message().rfind("EEPROM Write Completed - ", 0), 0u) << Message();
}

// Editors save by writing a new file and renaming it over the old one.
TEST_F(WindowFileWatch, FileReplacedByRenameIsReportedAndStillWatched) {
    OpenWithProgram();
    const std::string rebuilt = F281xProgram("prog.out.tmp", 0x3F6000, 300);
    std::filesystem::rename(rebuilt, program);
    ASSERT_TRUE(MessageBecomes(kChanged)) << Message();

    c().load->click();
    ASSERT_EQ(window->session().image.totalBytes, 600u);
    EXPECT_NE(Message(), kChanged);
    Rebuild(100);  // the file now behind the image is watched as well
    ASSERT_TRUE(MessageBecomes(kChanged)) << Message();
    const std::vector<std::string> shown = Click(c().podWrite);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.front(), kOlder);
}

TEST_F(WindowFileWatch, DeletedFileIsReportedAndARecreatedOneToo) {
    OpenWithProgram();
    std::filesystem::remove(program);
    ASSERT_TRUE(MessageBecomes(kGone)) << Message();
    EXPECT_FALSE(MessageIsError());
    EXPECT_TRUE(window->session().image.imageLoaded);
    Rebuild();
    ASSERT_TRUE(MessageBecomes(kChanged)) << Message();
}

// Operations that do not write the image say nothing about the file, and a
// file the window never loaded is not watched.
TEST_F(WindowFileWatch, OnlyTheWritesOfAnOlderImageRepeatTheNotice) {
    OpenWithProgram();
    Rebuild();
    ASSERT_TRUE(MessageBecomes(kChanged)) << Message();
    for (const std::string& text : Click(c().targetReset)) EXPECT_NE(text, kOlder);
    const std::string other = F281xProgram("other.out");
    c().filePath->setEditText(QString::fromStdString(other));
    c().load->click();
    ASSERT_TRUE(window->session().image.imageLoaded);
    Rebuild(50);
    QTest::qWait(200);
    EXPECT_NE(Message(), kChanged);
    for (const std::string& text : Click(c().targetWrite)) EXPECT_NE(text, kOlder);
}

}  // namespace
}  // namespace nembra::testing
