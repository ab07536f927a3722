#include <QTest>

#include "tests/ui/WindowFixture.h"

namespace nembra::testing {
namespace {

using WindowHandlers = WindowFixture;

QString Label(const ProgrammerControls& c, int n) { return c.keyLabels[static_cast<size_t>(n)]->text(); }

TEST_F(WindowHandlers, TheDeviceFamilyDecidesTheOptionControls) {
    Open();
    c().keyFields[1]->setText("AB12");
    c().unlockCsm->click();
    c().deviceList->setCurrentIndex(0);
    EXPECT_FALSE(c().eraseAll->isEnabled());
    EXPECT_FALSE(c().intelligentErase->isEnabled());
    EXPECT_FALSE(c().unlockCsm->isEnabled());
    for (int n = 0; n < 8; ++n) {
        EXPECT_EQ(Label(c(), n), QString("KEY%1 (0x0000)").arg(n));
        EXPECT_FALSE(c().keyFields[n]->isEnabled());
    }
    c().deviceList->setCurrentIndex(4);
    EXPECT_TRUE(c().eraseAll->isEnabled());
    EXPECT_EQ(Label(c(), 0), "KEY0 (0x3F7FF8)");
    EXPECT_EQ(Label(c(), 7), "KEY7 (0x3F7FFF)");
    for (QLineEdit* key : c().keyFields) EXPECT_TRUE(key->isEnabled());
    EXPECT_EQ(c().keyFields[1]->text(), "AB12") << "typed keys survive the switch";
    EXPECT_TRUE(c().unlockCsm->isChecked());
}

TEST_F(WindowHandlers, ChangingTheDeviceDoesNotTouchTheLoadedImage) {
    const std::string program = F281xProgram("p.out");
    Open();
    c().filePath->setEditText(QString::fromStdString(program));
    c().load->click();
    ASSERT_TRUE(window->session().image.imageLoaded);
    c().deviceList->setCurrentIndex(2);
    EXPECT_EQ(window->session().deviceType, 4);
    EXPECT_TRUE(window->session().image.imageLoaded);
}

TEST_F(WindowHandlers, UnlockCsmEnablesTheKeyFieldsWithoutClearingThem) {
    Open();
    c().unlockCsm->click();
    for (QLineEdit* key : c().keyFields) EXPECT_TRUE(key->isEnabled());
    c().keyFields[0]->setText("1111");
    c().unlockCsm->click();
    for (QLineEdit* key : c().keyFields) EXPECT_FALSE(key->isEnabled());
    EXPECT_EQ(c().keyFields[0]->text(), "1111");
}

TEST_F(WindowHandlers, KeyFieldsTakeFourCharactersInUpperCase) {
    Open();
    c().unlockCsm->click();
    QLineEdit* key = c().keyFields[0];
    key->clear();
    QTest::keyClicks(key, "abcde");
    EXPECT_EQ(key->text(), "ABCD");
}

TEST_F(WindowHandlers, PodFileNameTakesEightCharactersButKeepsALongerStoredName) {
    Open();
    QTest::keyClicks(c().podFileName, "abcdefghij");
    EXPECT_EQ(c().podFileName->text(), "abcdefgh");
    Close();
    settings.Put("Main Configuration/EEP File Name", "NINECHARS");
    Open();
    EXPECT_EQ(c().podFileName->text(), "NINECHARS");
    c().podFileName->end(false);
    QTest::keyClick(c().podFileName, Qt::Key_Backspace);
    QTest::keyClicks(c().podFileName, "xy");
    EXPECT_EQ(c().podFileName->text(), "NINECHAR") << "typing never goes past the limit again";
}

TEST_F(WindowHandlers, ClosingWithAnLf240xAEntryStoresItsDefaults) {
    Open();
    c().eraseAll->click();
    c().unlockCsm->click();
    c().keyFields[0]->setText("1234");
    c().deviceList->setCurrentIndex(1);
    Close();
    EXPECT_EQ(settings.Get("Main Configuration/MCU Type").toString(), "1");
    EXPECT_EQ(settings.Get("Main Configuration/EraseAll Mode").toString(), "0");
    EXPECT_EQ(settings.Get("Main Configuration/CSM Use Option").toString(), "0");
    for (int n = 0; n < 8; ++n)
        EXPECT_EQ(settings.Get(QString("Main Configuration/PW KEY%1").arg(n)).toString(), "65535");
}

TEST_F(WindowHandlers, ClosingStoresTheF281xKeysAsNumbers) {
    Open();
    c().unlockCsm->click();
    for (QLineEdit* key : c().keyFields) key->setText("1234");
    c().keyFields[3]->setText("");
    c().keyFields[5]->setText("12G4");
    Close();
    EXPECT_EQ(settings.Get("Main Configuration/CSM Use Option").toString(), "1");
    EXPECT_EQ(settings.Get("Main Configuration/PW KEY0").toString(), "4660");
    EXPECT_EQ(settings.Get("Main Configuration/PW KEY3").toString(), "65535");
    EXPECT_EQ(settings.Get("Main Configuration/PW KEY5").toString(), "18");
}

TEST_F(WindowHandlers, AnAllZeroPasswordIsStoredAsNoPassword) {
    Open();
    c().unlockCsm->click();
    for (QLineEdit* key : c().keyFields) key->setText("0000");
    Close();
    EXPECT_EQ(settings.Get("Main Configuration/CSM Use Option").toString(), "1");
    for (int n = 0; n < 8; ++n)
        EXPECT_EQ(settings.Get(QString("Main Configuration/PW KEY%1").arg(n)).toString(), "65535");
}

TEST_F(WindowHandlers, EnterInAFieldEndsTheRunAsExitDoes) {
    const std::string a = F281xProgram("a.out");
    const std::string b = F281xProgram("b.out");
    StoreRecent({a, b});
    for (QWidget* (*field)(const ProgrammerControls&) :
         {+[](const ProgrammerControls& c) -> QWidget* { return c.keyFields[2]; },
          +[](const ProgrammerControls& c) -> QWidget* { return c.podFileName; },
          +[](const ProgrammerControls& c) -> QWidget* { return c.filePath; }}) {
        Open();
        c().filePath->setEditText(QString::fromStdString(b));
        const std::string before = Message();
        QTest::keyClick(field(c()), Qt::Key_Return);
        EXPECT_FALSE(window->isVisible());
        EXPECT_EQ(window->result(), QDialog::Accepted);
        EXPECT_EQ(Message(), before) << "Enter in the File Path box loads nothing";
        Close();
        EXPECT_TRUE(settings.Has("Main Configuration/MCU Type"));
    }
}

TEST_F(WindowHandlers, EscapeEndsTheRunWithTheSettingsSaved) {
    Open();
    c().deviceList->setCurrentIndex(3);
    QTest::keyClick(c().podFileName, Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->result(), QDialog::Rejected);
    Close();
    EXPECT_EQ(settings.Get("Main Configuration/MCU Type").toString(), "3");
}

TEST_F(WindowHandlers, ExitEndsTheRun) {
    Open();
    c().exit->click();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->result(), QDialog::Accepted);
}

TEST_F(WindowHandlers, PickingARecentEntryLoadsItAndMovesItToTheTop) {
    const std::string a = F281xProgram("a.out");
    const std::string b = F281xProgram("b.out");
    const std::string d = F281xProgram("d.out");
    StoreRecent({a, b, d});
    Open();
    emit c().filePath->activated(2);
    EXPECT_EQ(ListedPaths(), (std::vector<std::string>{d, a, b}));
    EXPECT_EQ(window->session().recentFiles.paths(), ListedPaths());
    EXPECT_EQ(c().filePath->currentIndex(), 0);
    EXPECT_EQ(Message(), "Reading COFF file is successful");
}

TEST_F(WindowHandlers, AnArrowKeyInTheListLoadsTheEntryReached) {
    const std::string a = F281xProgram("a.out");
    const std::string b = F281xProgram("b.out");
    StoreRecent({a, b});
    Open();
    window->session().image.imageLoaded = false;
    c().filePath->setFocus();
    QTest::keyClick(c().filePath, Qt::Key_Down);
    EXPECT_TRUE(window->session().image.imageLoaded);
    EXPECT_EQ(ListedPaths(), (std::vector<std::string>{b, a}));
}

TEST_F(WindowHandlers, LoadsOfNewFilesGoToTheFrontOfTheList) {
    Open();
    std::vector<std::string> loaded;
    for (int n = 0; n < 11; ++n) {
        loaded.push_back(F281xProgram("f" + std::to_string(n) + ".out"));
        c().filePath->setEditText(QString::fromStdString(loaded.back()));
        c().load->click();
    }
    ASSERT_EQ(c().filePath->count(), 10);
    EXPECT_EQ(c().filePath->itemText(0).toStdString(), loaded[10]);
    EXPECT_EQ(c().filePath->itemText(9).toStdString(), loaded[1]);
    Close();
    EXPECT_FALSE(settings.Has("File List/Recent File10"));
    EXPECT_EQ(settings.Get("File List/Recent File0").toString().toStdString(), loaded[10]);
}

TEST_F(WindowHandlers, CancellingTheBrowseDialogChangesNothing) {
    Open();
    window->SetFileChooser([](QWidget*, const QString&) { return QString(); });
    const std::string before = Message();
    window->OnBrowse();
    EXPECT_TRUE(window->browseFolder().empty());
    EXPECT_EQ(Message(), before);
    EXPECT_FALSE(settings.Has("Main Configuration/File Directory"));
}

TEST_F(WindowHandlers, BrowsingToAFileThatIsNotCoffUpdatesTheFolderAndShowsTheError) {
    settings.Put("Main Configuration/File Directory", "/start/here/");
    Open();
    const std::string junk = settings.dir.Write("junk.out", {'x', 'y'});
    QString startedIn;
    window->SetFileChooser([&](QWidget*, const QString& start) {
        startedIn = start;
        return QString::fromStdString(junk);
    });
    window->OnBrowse();
    EXPECT_EQ(startedIn, "/start/here/");
    EXPECT_EQ(window->browseFolder(), settings.dir.path() + "/");
    EXPECT_EQ(settings.Get("Main Configuration/File Directory").toString().toStdString(), settings.dir.path() + "/")
        << "written at once";
    EXPECT_EQ(c().filePath->currentText().toStdString(), junk);
    EXPECT_TRUE(MessageIsError());
    EXPECT_EQ(c().filePath->count(), 0);
}

TEST_F(WindowHandlers, BrowsingToAProgramLoadsAndRemembersIt) {
    Open();
    const std::string program = F281xProgram("prog.out");
    window->SetFileChooser([&](QWidget*, const QString&) { return QString::fromStdString(program); });
    window->OnBrowse();
    EXPECT_EQ(Message(), "Reading COFF file is successful");
    EXPECT_EQ(ListedPaths(), (std::vector<std::string>{program}));
}

}  // namespace
}  // namespace nembra::testing
