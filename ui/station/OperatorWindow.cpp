#include "ui/station/OperatorWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>
#include <algorithm>

#include "station/GangRun.h"
#include "ui/station/CounterView.h"
#include "ui/station/JobSummaryText.h"
#include "ui/station/JobSummaryView.h"
#include "ui/station/LastBoardsView.h"
#include "ui/station/PodPoller.h"
#include "ui/station/PodTile.h"

namespace nembra {
namespace {

constexpr int kTileColumns = 4;
constexpr int32_t kTileBarPixels = 200;

QString Text(const std::string& text) { return QString::fromStdString(text); }

bool Contains(const std::vector<std::string>& list, const std::string& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

}  // namespace

OperatorWindow::OperatorWindow(station::PodStation& station, station::PodClaims& claims, OperatorSettings settings,
                               QWidget* parent)
    : QWidget(parent), station_(station), claims_(claims), settings_(std::move(settings)) {
    BuildLayout();
    setAcceptDrops(true);
    for (const auto key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter})
        connect(new QShortcut(QKeySequence(key), this), &QShortcut::activated, this, &OperatorWindow::StartAll);
    connect(start_, &QPushButton::clicked, this, &OperatorWindow::StartAll);
    connect(stop_, &QPushButton::clicked, this, &OperatorWindow::StopAll);
    poller_ = std::make_unique<PodPoller>(station_, settings_.pollMs, [this](std::vector<std::string> serials) {
        QMetaObject::invokeMethod(
            this, [this, serials] { OnListed(serials); }, Qt::QueuedConnection);
    });
}

// The poller and the runs post to this window: both end before it does.
OperatorWindow::~OperatorWindow() {
    poller_.reset();
    runs_.reset();
    for (const auto& [serial, tile] : tiles_) claims_.Release(serial);
}

void OperatorWindow::BuildLayout() {
    summary_ = new JobSummaryView(this);
    counters_ = new CounterView(this);
    lastBoards_ = new LastBoardsView(this);
    message_ = new QLabel(this);
    message_->setWordWrap(true);
    QFont big = message_->font();
    big.setPointSize(big.pointSize() + 2);
    message_->setFont(big);
    tileArea_ = new QWidget(this);
    tileGrid_ = new QGridLayout(tileArea_);
    for (int column = 0; column < kTileColumns; ++column) tileGrid_->setColumnStretch(column, 1);
    start_ = new QPushButton(tr("Start"), this);
    stop_ = new QPushButton(tr("Stop"), this);
    // Space and Enter start the pods wherever the focus is.
    start_->setFocusPolicy(Qt::NoFocus);
    stop_->setFocusPolicy(Qt::NoFocus);
    start_->setMinimumHeight(40);
    stop_->setMinimumHeight(40);
    auto* top = new QHBoxLayout;
    top->addWidget(summary_, 3);
    top->addWidget(counters_, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(start_);
    buttons->addWidget(stop_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(message_);
    layout->addWidget(tileArea_, 1);
    layout->addLayout(buttons);
    layout->addWidget(lastBoards_);
    setWindowTitle(tr("Nembra Station"));
}

void OperatorWindow::ShowMessage(const QString& text, bool isError) {
    messageIsError_ = isError;
    message_->setText(text);
    QPalette palette = message_->palette();
    palette.setColor(QPalette::WindowText, isError ? QColor(0xD0, 0x00, 0x00) : QColor(Qt::black));
    message_->setPalette(palette);
}

QString OperatorWindow::Message() const { return message_->text(); }

bool OperatorWindow::OpenJob(const std::string& jobFile) {
    if (Running()) {
        ShowMessage(tr("A run is going on: stop it before opening another job"), true);
        return false;
    }
    runs_.reset();
    for (const std::string& serial : TileSerials()) RemoveTile(serial);
    plan_ = station::PlanJob(jobFile);
    summary_->Show(SummaryOf(plan_));
    setWindowTitle(tr("Nembra Station - %1").arg(Text(plan_.job.name)));
    if (plan_.ok())
        ShowMessage(tr("Job %1 is ready").arg(Text(plan_.job.name)), false);
    else
        ShowMessage(Text(station::ProblemsText(plan_.problems)), true);
    StationRunsListener& listener = *this;
    runs_ = std::make_unique<StationRuns>(station_, jobFile, settings_.tool, listener, kTileBarPixels);
    runs_->RefreshStore();
    // Until the pods have been listed once, none is called unplugged.
    if (listedOnce_) OnListed(listed_);
    poller_->PollNow();
    return true;
}

PodTile* OperatorWindow::Tile(const std::string& serial) const {
    const auto found = tiles_.find(serial);
    return found == tiles_.end() ? nullptr : found->second;
}

std::vector<std::string> OperatorWindow::TileSerials() const {
    std::vector<std::string> serials;
    for (const auto& [serial, tile] : tiles_) serials.push_back(serial);
    return serials;
}

PodTile* OperatorWindow::AddTile(const std::string& serial) {
    auto* tile = new PodTile(Text(serial), tileArea_);
    connect(tile, &PodTile::startRequested, this, [this](const QString& s) { StartPod(s.toStdString()); });
    tiles_[serial] = tile;
    LayOutTiles();
    return tile;
}

void OperatorWindow::RemoveTile(const std::string& serial) {
    const auto found = tiles_.find(serial);
    if (found == tiles_.end()) return;
    delete found->second;
    tiles_.erase(found);
    LayOutTiles();
}

void OperatorWindow::LayOutTiles() {
    int i = 0;
    for (const auto& [serial, tile] : tiles_) {
        tileGrid_->removeWidget(tile);
        tileGrid_->addWidget(tile, i / kTileColumns, i % kTileColumns);
        tile->show();
        ++i;
    }
}

// The job's pods as they come and go: a job that names its pods keeps a
// tile for each, unplugged while it is away; one that takes every pod
// shows those attached. A running pod keeps its tile until its run ends.
void OperatorWindow::OnListed(const std::vector<std::string>& serials) {
    listed_ = serials;
    listedOnce_ = true;
    if (runs_ == nullptr) return;
    const std::vector<std::string>& named = plan_.job.pods;
    const std::vector<std::string>& wanted = named.empty() ? serials : named;
    for (const std::string& serial : wanted)
        if (Tile(serial) == nullptr) AddTile(serial);
    for (const std::string& serial : TileSerials()) {
        PodTile* tile = Tile(serial);
        const bool attached = Contains(serials, serial);
        if (busy_.count(serial) != 0) continue;
        if (!attached && named.empty())
            RemoveTile(serial);
        else if (!attached && tile->state() != PodTile::State::Unplugged)
            tile->ShowUnplugged();
        else if (attached && tile->state() == PodTile::State::Unplugged)
            tile->ShowWaiting();
    }
}

bool OperatorWindow::Startable(const std::string& serial) const {
    const PodTile* tile = Tile(serial);
    return tile != nullptr && busy_.count(serial) == 0 && tile->state() != PodTile::State::Unplugged;
}

void OperatorWindow::StartAll() {
    std::vector<std::string> serials;
    for (const auto& [serial, tile] : tiles_)
        if (Startable(serial)) serials.push_back(serial);
    StartPods(serials);
}

void OperatorWindow::StartPod(const std::string& serial) {
    if (Startable(serial)) StartPods({serial});
}

// Each pod is claimed first, so that the engineer's window leaves it alone;
// a pod it holds is not started.
void OperatorWindow::StartPods(const std::vector<std::string>& serials) {
    if (runs_ == nullptr || serials.empty()) return;
    if (!Running()) {
        stopped_.clear();
        stopRequested_ = false;
    }
    std::vector<std::string> claimed;
    for (const std::string& serial : serials) {
        std::string refusal;
        if (claims_.Claim(serial, refusal)) {
            claimed.push_back(serial);
            busy_.insert(serial);
            Tile(serial)->ShowRunningLine(tr("Preparing"));
        } else {
            Tile(serial)->ShowHeld(Text(refusal));
        }
    }
    if (claimed.empty()) return;
    runs_->Start(claimed);
    QStringList names;
    for (const std::string& serial : claimed) names << Text(serial);
    ShowMessage(tr("Running the job on %1").arg(names.join(QStringLiteral(", "))), false);
}

void OperatorWindow::StopAll() {
    if (!Running()) return;
    stopRequested_ = true;
    runs_->Stop();
    ShowMessage(tr("Stopping: each pod stops at its next step"), false);
}

void OperatorWindow::Release(const std::vector<std::string>& pods) {
    for (const std::string& serial : pods) {
        claims_.Release(serial);
        busy_.erase(serial);
    }
}

void OperatorWindow::OnTileUpdate(const std::string& pod, const TileUpdate& update) {
    PodTile* tile = Tile(pod);
    if (tile == nullptr) return;
    if (update.finished) {
        if (update.passed)
            tile->ShowPassed(Text(update.text));
        else
            tile->ShowFailed(Text(update.failure.empty() ? update.text : update.failure), Text(update.text));
        // Its board's record is still to be written with the others of its run.
        tile->startButton()->setEnabled(false);
    } else if (update.hasProgress)
        tile->ShowRunning(Text(update.text), static_cast<int>(update.done), static_cast<int>(update.total));
    else
        tile->ShowRunningLine(Text(update.text));
}

void OperatorWindow::OnRefused(const std::vector<std::string>& pods, const std::string& message) {
    Release(pods);
    for (const std::string& serial : pods)
        if (PodTile* tile = Tile(serial)) tile->ShowWaiting();
    ShowMessage(Text(message), true);
    OnListed(listed_);
}

void OperatorWindow::OnNote(const std::string& note) { ShowMessage(Text(note), false); }

void OperatorWindow::ShowBoard(const BoardResult& board) {
    if (PodTile* tile = Tile(board.pod)) {
        if (board.passed)
            tile->ShowPassed(Text(board.line));
        else
            tile->ShowFailed(Text(board.failure), Text(board.line));
    }
    ++(board.passed ? session_.passed : session_.failed);
    ++session_.total;
    BoardEntry entry;
    entry.boardSerial = board.boardSerial ? QString::number(*board.boardSerial) : QString();
    entry.pod = Text(board.pod);
    entry.passed = board.passed;
    entry.result = board.passed ? QStringLiteral("PASS") : QStringLiteral("FAIL: ") + Text(board.failure);
    entry.time = QDateTime::currentDateTime().toString(QStringLiteral("HH:mm:ss"));
    lastBoards_->Add(entry);
}

void OperatorWindow::OnFinished(const std::vector<std::string>& pods, const RunReport& report) {
    Release(pods);
    bool failed = false;
    for (const BoardResult& board : report.boards) {
        ShowBoard(board);
        failed = failed || !board.passed;
    }
    counters_->ShowSession(session_);
    OnStoreView(report.store);
    if (stopRequested_) {
        stopped_.insert(stopped_.end(), report.boards.begin(), report.boards.end());
        std::vector<station::PodResult> all;
        for (const BoardResult& board : stopped_) all.push_back({board.pod, {}, {}, board.unfinished});
        const std::string line = station::UnfinishedLine(all);
        ShowMessage(line.empty() ? tr("Stopped: every board had finished") : Text(line), !line.empty());
    } else if (!report.note.empty()) {
        ShowMessage(Text(report.note), true);
    } else {
        const auto passed = std::count_if(report.boards.begin(), report.boards.end(),
                                          [](const BoardResult& board) { return board.passed; });
        ShowMessage(tr("Done: %1 passed, %2 failed").arg(passed).arg(report.boards.size() - passed), false);
    }
    if (failed && settings_.bell) QApplication::beep();
    OnListed(listed_);
}

void OperatorWindow::OnStoreView(const StoreView& view) {
    if (!view.reached) {
        counters_->ShowStoreUnknown(Text(view.why));
        return;
    }
    counters_->ShowStore(view.counts);
    summary_->ShowSerials(NextSerialText(view.hasSerialPlan, view.nextSerial),
                          SerialsLeftText(view.hasSerialPlan, view.serialsLeft));
}

// Closing mid-run would cut a flash write off halfway: Stop first.
void OperatorWindow::closeEvent(QCloseEvent* event) {
    if (!Running()) {
        event->accept();
        return;
    }
    event->ignore();
    ShowMessage(tr("Boards are being programmed: press Stop, then close the window"), true);
}

void OperatorWindow::dragEnterEvent(QDragEnterEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() == 1 && urls.front().isLocalFile()) event->acceptProposedAction();
}

void OperatorWindow::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile()) return;
    if (OpenJob(urls.front().toLocalFile().toStdString())) event->acceptProposedAction();
}

}  // namespace nembra
