#pragma once
#include <QDialog>
#include <string>

#include "NembraVersion.h"
#include "ops/Operations.h"
#include "ops/Session.h"
#include "settings/SettingsStore.h"
#include "ui/CoffFileChooser.h"
#include "ui/ImageFileWatch.h"
#include "ui/ProgrammerControls.h"
#include "ui/RecentCombo.h"
#include "ui/WindowEvents.h"
#include "ui/WindowStatus.h"

namespace nembra {

// What the window runs on: the driver library, the link's clock and the
// clock that times the long operations. Real USB or the simulated pod.
struct ProgrammerBackend {
    DriverLoader& loader;
    LinkClock& linkClock;
    OpsClock& opsClock;
};

inline constexpr const char* kWindowCaption =
    "TMS320LF240xA & TMS320F281x DSP Programmer Ver" NEMBRA_VERSION " - Corvane";

// The program's window. It owns the run's state; each command button runs
// one operation to its end on this thread, and destroying the window stores
// the settings, however the run ended.
class CProgrammerDlg : public QDialog {
    Q_OBJECT

public:
    CProgrammerDlg(ProgrammerBackend backend, SettingsStore store, QWidget* parent = nullptr);
    ~CProgrammerDlg() override;

    void ApplyDeviceFamily(DeviceType type);

    StatusSink& status() { return status_; }
    Session& session() { return session_; }
    const ProgrammerControls& controls() const { return controls_; }
    bool initialized() const { return initialized_; }
    const std::string& browseFolder() const { return browseFolder_; }
    void SetFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }
    // Pods that another program on this host drives are not opened; the
    // connect says who holds the pod instead.
    void SetPodGate(PodGate* gate) { session_.link.SetGate(gate); }

    void OnBrowse();
    void OnAbout();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SetUp();
    void LoadSettings();
    void SaveSettings();
    void FillRecentList();
    void LookForPod();
    void FillOptionControls();
    void LoadButtonBitmaps();
    void ConnectHandlers();
    void WatchKeys();
    void OnDeviceChanged(int index);
    void OnCsmToggled();
    void OnRecentFileSelected(int index);
    // What a command does with the program file, for the file watch.
    enum class FileUse { Loads, Writes, None };
    void RunCommand(JobCommand command, FileUse use);
    bool LoadFile(const std::string& path, bool remember);
    void FollowLoadedFile(FileUse use, bool wasLoaded, const std::string& pathText);
    void OnImageFileChanged(ImageFileWatch::Change change);
    void NoteOlderImage(FileUse use);

    ProgrammerBackend backend_;
    SettingsStore store_;
    Session session_;
    ProgrammerControls controls_;
    WindowStatus status_;
    WindowEvents events_;
    RecentCombo recentCombo_;
    FileChooser chooseFile_ = ChooseCoffFile;
    ImageFileWatch imageFile_;
    bool operationRunning_ = false;

    bool initialized_ = false;
    bool saved_ = false;
    uint32_t eraseAll_ = 0;
    uint32_t csmUnlock_ = 0;
    std::string chosenPath_;
    std::string browseFolder_;
    std::string startupFile_;
};

}  // namespace nembra
