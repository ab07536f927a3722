#include <QContextMenuEvent>
#include <QMenu>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "pod/LibFtdiDriver.h"
#include "sim/SimDriverLoader.h"
#include "tests/ui/WindowFixture.h"
#include "ui/WindowEvents.h"

namespace nembra::testing {
namespace {

using WindowSetUp = WindowFixture;

TEST_F(WindowSetUp, FirstRunShowsTheDefaults) {
    Open();
    EXPECT_EQ(window->windowTitle(), "TMS320LF240xA & TMS320F281x DSP Programmer Ver1.5 - Corvane");
    EXPECT_EQ(c().deviceList->currentIndex(), 4);
    EXPECT_EQ(c().deviceList->currentText(), "F2812 - 150MHz(30MHz * 5)");
    EXPECT_EQ(c().deviceList->count(), 5);
    EXPECT_TRUE(c().intelligentErase->isChecked());
    EXPECT_FALSE(c().unlockCsm->isChecked());
    for (QLineEdit* key : c().keyFields) {
        EXPECT_EQ(key->text(), "FFFF");
        EXPECT_FALSE(key->isEnabled());
    }
    EXPECT_TRUE(c().podFileName->text().isEmpty());
    EXPECT_EQ(c().filePath->count(), 0);
    EXPECT_FALSE(window->session().image.imageLoaded);
    EXPECT_EQ(Message(), "Connection to KVL47Q POD is successful");
    EXPECT_FALSE(MessageIsError());
    EXPECT_TRUE(window->initialized());
    EXPECT_FALSE(window->windowIcon().isNull());
}

TEST_F(WindowSetUp, ControlsCarryTheirNumbersAndTextsInTabOrder) {
    Open();
    const std::pair<int, const char*> buttons[] = {
        {IDC_TARGET_WRITE, "Target Write"},
        {IDC_TARGET_RESET, "Target Reset"},
        {IDC_LOAD, "Load"},
        {IDC_POD_WRITE, "POD Write"},
        {IDC_POD_VERIFY, "POD Verify"},
        {IDC_POD_INFO, "POD Info"},
        {IDC_EXIT, "Exit"},
    };
    QWidget* previous = nullptr;
    for (const auto& [id, text] : buttons) {
        auto* button = Control<COXBitmapButton>(id);
        ASSERT_NE(button, nullptr) << id;
        EXPECT_EQ(button->text(), text);
        EXPECT_FALSE(button->normalImage().isNull()) << text;
        if (previous != nullptr) {
            EXPECT_EQ(previous->nextInFocusChain(), button);
        }
        previous = button;
    }
    EXPECT_EQ(previous->nextInFocusChain(), c().deviceList);
    EXPECT_EQ(Control<QCheckBox>(IDC_UNLOCK_CSM)->text(),
              QString::fromUtf8("Unlock CSM(Code Security Module) 사용 여부"));
    EXPECT_NE(Control<CMessageStatic>(IDC_MESSAGE), nullptr);
    EXPECT_NE(Control<CLabeledProgressCtrl>(IDC_PROGRESS), nullptr);
    EXPECT_EQ(c().progress->model().upper(), 100);
    EXPECT_EQ(window->size(), window->minimumSize()) << "fixed size";
    EXPECT_EQ(window->size(), window->maximumSize());
}

TEST_F(WindowSetUp, WithoutTheDriverLibrary) {
    rig.loader.SetAvailable(false);
    Open();
    EXPECT_EQ(Message(), "Fail to load FTD2XX.DLL");
    EXPECT_TRUE(MessageIsError());
}

// The line keeps its words; why no library could be used is on the line's tooltip.
TEST_F(WindowSetUp, ARefusedLibraryTellsWhyOnTheMessageLine) {
    BackendLoads loads;
    loads.libftd2xx = [](std::string& whyNot) -> std::unique_ptr<FtdiDriver> {
        whyNot = "libftd2xx.so is not installed";
        return nullptr;
    };
    loads.libftdi1 = [](std::string& whyNot) -> std::unique_ptr<FtdiDriver> {
        whyNot = LibFtdiVersionRefusal(2, 0);
        return nullptr;
    };
    auto loader = MakeDriverLoader(DriverChoice::Auto, loads);
    Open(*loader);
    EXPECT_EQ(Message(), "Fail to load FTD2XX.DLL");
    EXPECT_EQ(c().message->toolTip().toStdString(), "libftd2xx.so is not installed; " + LibFtdiVersionRefusal(2, 0));
}

TEST_F(WindowSetUp, WithoutThePodTheWindowStaysUsable) {
    VirtualClock clock;
    SimDevice emptyBus(clock);
    SimDriverLoader loader(emptyBus);
    Open(loader);
    EXPECT_EQ(Message(), "No Connection to KVL47Q POD");
    EXPECT_TRUE(MessageIsError());
    for (COXBitmapButton* button : c().CommandButtons()) EXPECT_TRUE(button->isEnabled());
    c().targetReset->click();
    EXPECT_EQ(Message(), "No Connection to KVL47Q POD");
}

TEST_F(WindowSetUp, StoredDeviceTypesAreClamped) {
    const std::pair<uint32_t, int> cases[] = {{7, 4}, {256, 0}, {4294967295u, 4}, {1, 1}};
    for (const auto& [stored, index] : cases) {
        settings.Put("Main Configuration/MCU Type", stored);
        Open();
        EXPECT_EQ(c().deviceList->currentIndex(), index) << stored;
        Close();
    }
}

TEST_F(WindowSetUp, StoredOptionsAndKeysAreShown) {
    settings.Put("Main Configuration/EraseAll Mode", 1u);
    settings.Put("Main Configuration/CSM Use Option", 1u);
    settings.Put("Main Configuration/PW KEY2", 0x1234u);
    settings.Put("Main Configuration/PW KEY3", 0xABCDEFu);
    settings.Put("Main Configuration/EEP File Name", "LONGNAME12");
    Open();
    EXPECT_TRUE(c().eraseAll->isChecked());
    EXPECT_TRUE(c().unlockCsm->isChecked());
    EXPECT_EQ(c().keyFields[2]->text(), "1234");
    EXPECT_EQ(c().keyFields[3]->text(), "CDEF");
    EXPECT_TRUE(c().keyFields[0]->isEnabled());
    EXPECT_EQ(c().podFileName->text(), "LONGNAME12") << "a longer stored name is shown whole";
}

TEST_F(WindowSetUp, AStoredRecentFileIsLoadedAtOnceKeepingTheListOrder) {
    const std::string a = F281xProgram("a.out");
    const std::string b = F281xProgram("b.out");
    const std::string gone = settings.dir.path() + "/gone.out";
    StoreRecent({a, gone, b});
    Open();
    EXPECT_EQ(ListedPaths(), (std::vector<std::string>{a, b}));
    EXPECT_EQ(c().filePath->currentIndex(), 0);
    EXPECT_EQ(c().filePath->currentText().toStdString(), a);
    EXPECT_EQ(Message(), "Reading COFF file is successful");
    EXPECT_TRUE(window->session().image.imageLoaded);
    EXPECT_EQ(window->session().recentFiles.paths(), (std::vector<std::string>{a, b}));
}

TEST_F(WindowSetUp, AStartUpFileThatFailsLeavesItsErrorAndNoImage) {
    const std::string junk = settings.dir.Write("junk.out", {'n', 'o', 't', ' ', 'c', 'o', 'f', 'f'});
    StoreRecent({junk});
    Open();
    EXPECT_TRUE(MessageIsError());
    EXPECT_NE(Message(), "Connection to KVL47Q POD is successful");
    EXPECT_FALSE(window->session().image.imageLoaded);
}

TEST_F(WindowSetUp, TheAboutBoxOpensFromTheWindow) {
    Open();
    QString title;
    QString okText;
    QTimer::singleShot(0, [&] {
        QWidget* about = QApplication::activeModalWidget();
        ASSERT_NE(about, nullptr);
        title = about->windowTitle();
        if (QWidget* ok = FindControl(about, 1)) okText = static_cast<QPushButton*>(ok)->text();
        about->close();
    });
    window->OnAbout();
    EXPECT_EQ(title, QString::fromUtf8("Nembra 정보"));
    EXPECT_EQ(okText, QString::fromUtf8("확인"));
}

// Linux windows have no system menu: the About entry is the window's
// context menu.
TEST_F(WindowSetUp, TheAboutEntryIsTheWindowsContextMenu) {
    Open();
    QStringList entries;
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        for (QAction* action : menu->actions()) entries << action->text();
        menu->close();
    });
    const QPoint inside(5, window->height() / 2);
    QContextMenuEvent event(QContextMenuEvent::Mouse, inside, window->mapToGlobal(inside));
    QApplication::sendEvent(window.get(), &event);
    EXPECT_EQ(entries, QStringList{QString::fromUtf8("Nembra 정보(&A)...")});
}

// Running out of memory while a Load makes section records is the one
// report that comes as a modal box.
TEST_F(WindowSetUp, RunningOutOfMemoryShowsTheOneModalBox) {
    Open();
    QString text;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        text = box->text();
        box->close();
    });
    WindowEvents events(*window, c());
    events.OutOfMemory();
    EXPECT_EQ(text, QStringLiteral("Out of memory."));
}

}  // namespace
}  // namespace nembra::testing
