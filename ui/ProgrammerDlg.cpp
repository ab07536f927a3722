#include "ui/ProgrammerDlg.h"

#include <QContextMenuEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>

#include "image/LoadCoffFile.h"
#include "settings/SettingsValues.h"
#include "status/Messages.h"
#include "ui/AboutDlg.h"
#include "ui/FieldLimit.h"
#include "ui/OperationRunner.h"
#include "ui/Resources.h"
#include "ui/WindowJob.h"
#include "ui/WorkerStatus.h"

namespace nembra {

namespace {

ProgrammerControls MakeControls(QDialog& dialog) {
    InitNembraResources();
    dialog.setFont(DialogFont());
    const DialogUnits units(dialog.font());
    dialog.setFixedSize(units.X(kDialogWidthUnits), units.Y(kDialogHeightUnits));
    return BuildProgrammerControls(dialog, units);
}

QString FileNameOf(const std::string& path) { return QFileInfo(QString::fromStdString(path)).fileName(); }

QString KeyLabelText(int n, bool f281x) {
    return f281x ? QString::asprintf("KEY%d (0x%06X)", n, 0x3F7FF8 + n) : QString::asprintf("KEY%d (0x%04X)", n, 0);
}

}  // namespace

CProgrammerDlg::CProgrammerDlg(ProgrammerBackend backend, SettingsStore store, QWidget* parent)
    : QDialog(parent),
      backend_(backend),
      store_(std::move(store)),
      session_(backend.loader, backend.linkClock),
      controls_(MakeControls(*this)),
      status_(controls_.message, controls_.progress),
      events_(*this, controls_),
      recentCombo_(controls_.filePath) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    SetUp();
    ConnectHandlers();
    WatchKeys();
}

CProgrammerDlg::~CProgrammerDlg() {
    SaveSettings();
    session_.recentFiles.SetView(nullptr);
}

// The window's set-up. The order matters: the settings come before the
// controls they fill, the pod's line before the start-up file's Load, whose
// line replaces it, and the handlers of selection changes act only after it.
void CProgrammerDlg::SetUp() {
    setWindowIcon(ProgramIcon());
    setWindowTitle(QString::fromUtf8(kWindowCaption));
    LoadSettings();
    ClearImage(session_.image, session_.deviceType);
    controls_.deviceList->setCurrentIndex(session_.deviceType);
    FillRecentList();
    controls_.message->SetForeColor(kNormalTextColour, true);
    controls_.message->SetBackColor(kMessageBackColour, true);
    controls_.message->FixSize(true);
    status_.SetRange(0, 100);
    status_.SetPos(0);
    LoadButtonBitmaps();
    LookForPod();
    FillOptionControls();
    ApplyDeviceFamily(session_.deviceType);
    if (!startupFile_.empty()) LoadFile(startupFile_, false);
    initialized_ = true;
}

void CProgrammerDlg::LoadSettings() {
    const StoredSettings values = store_.Load();
    session_.csmKeyTable = values.keys;
    session_.deviceType = values.deviceType;
    eraseAll_ = values.eraseAll;
    csmUnlock_ = values.csmUnlock;
    browseFolder_ = values.browseFolder;
    session_.eepFileName = values.eepFileName;
    session_.recentFiles.Clear();
    for (const std::string& path : values.recentFiles) session_.recentFiles.Append(path);
}

void CProgrammerDlg::SaveSettings() {
    if (saved_) return;
    saved_ = true;
    if (session_.link.connected()) session_.link.ClosePod();
    session_.link.UnloadDriverLibrary();
    session_.image.sections.clear();
    const StoredOptions options = OptionsToStore(JobFromControls(controls_, JobCommand::Load, false));
    session_.deviceType = options.deviceType;
    session_.csmKeyTable = options.keys;
    StoredSettings values;
    values.deviceType = options.deviceType;
    values.eraseAll = options.eraseAll;
    values.csmUnlock = options.csmUnlock;
    values.keys = options.keys;
    values.browseFolder = browseFolder_;
    values.eepFileName = session_.eepFileName;
    values.recentFiles = session_.recentFiles.paths();
    store_.Save(values);
    session_.recentFiles.Clear();
}

void CProgrammerDlg::FillRecentList() {
    const auto& paths = session_.recentFiles.paths();
    for (const std::string& path : paths) recentCombo_.AppendEntry(path);
    if (!paths.empty()) {
        recentCombo_.SelectFirstEntry();
        startupFile_ = paths.front();
    }
    session_.recentFiles.SetView(&recentCombo_);
}

void CProgrammerDlg::LoadButtonBitmaps() {
    const std::pair<COXBitmapButton*, int> bitmaps[] = {
        {controls_.targetWrite, IDB_TARGET_WRITE},
        {controls_.targetReset, IDB_TARGET_RESET},
        {controls_.load, IDB_LOAD},
        {controls_.podWrite, IDB_POD_WRITE},
        {controls_.podVerify, IDB_POD_VERIFY},
        {controls_.podInfo, IDB_POD_INFO},
        {controls_.exit, IDB_EXIT},
    };
    for (const auto& [button, id] : bitmaps) button->LoadButtonBitmap(ResourcePath(id), false, Qt::white);
}

// The pod is only looked for here; every operation opens it itself.
void CProgrammerDlg::LookForPod() {
    if (!session_.link.LoadDriverLibrary()) {
        status_.ShowMessage(messages::kNoDriver, true);
        // The line keeps its words; why the library was refused stays on it for the run.
        controls_.message->setToolTip(QString::fromStdString(session_.link.loadFailure()));
    } else if (!session_.link.FindPod())
        status_.ShowMessage(messages::kNoPod, true);
    if (session_.link.podFound()) status_.ShowMessage("Connection to KVL47Q POD is successful", false);
}

void CProgrammerDlg::FillOptionControls() {
    (eraseAll_ != 0 ? controls_.eraseAll : controls_.intelligentErase)->setChecked(true);
    controls_.unlockCsm->setChecked(csmUnlock_ != 0);
    for (int n = 0; n < 8; ++n) {
        QLineEdit* field = controls_.keyFields[n];
        field->setValidator(new UpperCaseValidator(field));
        field->setText(QString::asprintf("%04X", session_.csmKeyTable[n]));
        SetFieldLimit(field, kKeyFieldLimit);
    }
    // A longer stored name is shown whole; the limit only stops typing.
    SetLimitedText(controls_.podFileName, QString::fromStdString(session_.eepFileName));
    SetFieldLimit(controls_.podFileName, kPodFileNameLimit);
}

void CProgrammerDlg::ApplyDeviceFamily(DeviceType type) {
    const bool f281x = IsF281x(type);
    controls_.eraseAll->setEnabled(f281x);
    controls_.intelligentErase->setEnabled(f281x);
    controls_.unlockCsm->setEnabled(f281x);
    for (int n = 0; n < 8; ++n) {
        controls_.keyLabels[n]->setText(KeyLabelText(n, f281x));
        controls_.keyFields[n]->setEnabled(f281x && controls_.unlockCsm->isChecked());
    }
}

void CProgrammerDlg::ConnectHandlers() {
    struct Command {
        COXBitmapButton* button;
        JobCommand job;
        FileUse use;
    };
    const Command commands[] = {
        {controls_.targetWrite, JobCommand::TargetWrite, FileUse::Writes},
        {controls_.targetReset, JobCommand::TargetReset, FileUse::None},
        {controls_.load, JobCommand::Load, FileUse::Loads},
        {controls_.podWrite, JobCommand::PodWrite, FileUse::Writes},
        {controls_.podVerify, JobCommand::PodVerify, FileUse::None},
        {controls_.podInfo, JobCommand::PodInfo, FileUse::None},
    };
    for (const Command& command : commands)
        connect(command.button, &QPushButton::clicked, this, [this, command] { RunCommand(command.job, command.use); });
    connect(controls_.exit, &QPushButton::clicked, this, &QDialog::accept);
    connect(controls_.browse, &QPushButton::clicked, this, &CProgrammerDlg::OnBrowse);
    connect(controls_.deviceList, &QComboBox::currentIndexChanged, this, &CProgrammerDlg::OnDeviceChanged);
    // Only the user's picks load: a click or an arrow key in the list, not
    // the program selecting an entry.
    connect(controls_.filePath, &QComboBox::activated, this, &CProgrammerDlg::OnRecentFileSelected);
    connect(controls_.unlockCsm, &QCheckBox::clicked, this, &CProgrammerDlg::OnCsmToggled);
    connect(&imageFile_, &ImageFileWatch::fileChanged, this, &CProgrammerDlg::OnImageFileChanged);
}

// Enter in a field ends the run as "Exit" does, Escape as a cancel; the
// fields would otherwise act on these keys themselves.
void CProgrammerDlg::WatchKeys() {
    QList<QWidget*> fields{controls_.deviceList,       controls_.podFileName, controls_.filePath,
                           controls_.intelligentErase, controls_.eraseAll,    controls_.unlockCsm};
    if (controls_.filePath->lineEdit() != nullptr) fields.append(controls_.filePath->lineEdit());
    for (QLineEdit* key : controls_.keyFields) fields.append(key);
    for (QWidget* field : fields) field->installEventFilter(this);
}

bool CProgrammerDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        accept();
        return true;
    }
    if (key == Qt::Key_Escape) {
        reject();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void CProgrammerDlg::OnDeviceChanged(int index) {
    if (index >= 0) ApplyDeviceFamily(static_cast<DeviceType>(index));
}

void CProgrammerDlg::OnCsmToggled() {
    const bool on = controls_.unlockCsm->isChecked();
    for (QLineEdit* field : controls_.keyFields) field->setEnabled(on);
}

void CProgrammerDlg::OnBrowse() {
    const QString chosen = chooseFile_(this, QString::fromStdString(browseFolder_));
    if (chosen.isEmpty()) return;
    const QString fileName = QFileInfo(chosen).fileName();
    chosenPath_ = chosen.toStdString();
    browseFolder_ = chosen.left(chosen.size() - fileName.size()).toStdString();
    store_.SaveBrowseFolder(browseFolder_);
    controls_.filePath->setEditText(chosen);
    LoadFile(chosenPath_, true);
}

void CProgrammerDlg::OnRecentFileSelected(int index) {
    if (!initialized_ || index < 0) return;
    const auto& paths = session_.recentFiles.paths();
    if (index >= static_cast<int>(paths.size())) return;
    const std::string path = Trim(paths[static_cast<size_t>(index)]);
    if (path.empty()) return;
    LoadFile(path, true);
}

void CProgrammerDlg::OnAbout() {
    CAboutDlg about(this);
    about.exec();
}

void CProgrammerDlg::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* about = menu.addAction(QString::fromUtf8(kAboutMenuText));
    if (menu.exec(event->globalPos()) == about) OnAbout();
}

// The job is read from the controls at the click; the operation runs on a
// worker thread so that the window keeps answering the desktop, and until it
// has ended this thread touches no session state. The window shows each
// operation's line as it comes, so the outcome needs no more reading here.
void CProgrammerDlg::RunCommand(JobCommand command, FileUse use) {
    const bool wasLoaded = session_.image.imageLoaded;
    const std::string pathText = Trim(controls_.filePath->currentText().toStdString());
    NoteOlderImage(use);
    const Job job = JobFromControls(controls_, command, wasLoaded);
    WorkerStatus status(status_, controls_.progress->model());
    OperationContext context{session_, job, status, backend_.opsClock, nullptr, &events_};
    operationRunning_ = true;
    RunOperation(*this, [&] { RunJob(context); });
    operationRunning_ = false;
    FollowLoadedFile(use, wasLoaded, pathText);
}

// Load reads the File Path; Target Write and POD Write read it only when no
// image is loaded. Whatever the operation read is the file to watch.
void CProgrammerDlg::FollowLoadedFile(FileUse use, bool wasLoaded, const std::string& pathText) {
    const bool loaded = session_.image.imageLoaded;
    if (use == FileUse::Loads || !loaded)
        imageFile_.Follow(loaded ? pathText : std::string());
    else if (!wasLoaded)
        imageFile_.Follow(pathText);
}

// Told at once, as information. While an operation runs its own messages
// have the line; the next write that uses the older image says it again.
void CProgrammerDlg::OnImageFileChanged(ImageFileWatch::Change change) {
    if (operationRunning_ || !session_.image.imageLoaded) return;
    const QString name = FileNameOf(imageFile_.path());
    const QString text =
        change == ImageFileWatch::Change::Deleted
            ? QStringLiteral("%1 is gone from disk; the image loaded from it stays in use").arg(name)
            : QStringLiteral("%1 has changed on disk since it was loaded; Load reads it again").arg(name);
    status_.ShowMessage(text.toStdString(), false);
}

void CProgrammerDlg::NoteOlderImage(FileUse use) {
    if (use != FileUse::Writes) return;
    if (!session_.image.imageLoaded || imageFile_.change() == ImageFileWatch::Change::None) return;
    const QString text =
        QStringLiteral("Writing the image loaded before %1 changed on disk").arg(FileNameOf(imageFile_.path()));
    status_.ShowMessage(text.toStdString(), false);
}

bool CProgrammerDlg::LoadFile(const std::string& path, bool remember) {
    LoadContext context{session_.image,
                        session_.deviceType,
                        controls_.deviceList->currentIndex(),
                        session_.recentFiles,
                        status_,
                        [this] { events_.OutOfMemory(); }};
    const bool loaded = static_cast<bool>(LoadCoffFile(context, path, remember));
    imageFile_.Follow(loaded ? path : std::string());
    return loaded;
}

}  // namespace nembra
