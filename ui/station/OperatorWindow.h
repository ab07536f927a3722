#pragma once
#include <QWidget>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "station/JobPlan.h"
#include "station/PodClaim.h"
#include "station/PodStation.h"
#include "ui/station/StationRuns.h"

class QLabel;
class QGridLayout;
class QPushButton;

namespace nembra {

class CounterView;
class JobSummaryView;
class LastBoardsView;
class PodTile;
class PodPoller;

struct OperatorSettings {
    std::string tool;   // the program and its version, for the records
    bool bell = false;  // the desktop's bell on a failed board
    int pollMs = 500;   // how often the pods are listed
};

// The operator's window: the job as the engineer saved it, one tile per
// pod, counters and the last boards, and nothing that changes the job.
// Runs go on station threads; this thread only shows what they report.
class OperatorWindow : public QWidget, private StationRunsListener {
    Q_OBJECT

public:
    OperatorWindow(station::PodStation& station, station::PodClaims& claims, OperatorSettings settings,
                   QWidget* parent = nullptr);
    ~OperatorWindow() override;

    // Shows a job file; false (with the reason on the window) while a run goes on.
    bool OpenJob(const std::string& jobFile);

    // Start: every pod that is plugged in and not running.
    void StartAll();
    void StartPod(const std::string& serial);
    void StopAll();

    const JobSummaryView& summary() const { return *summary_; }
    const CounterView& counters() const { return *counters_; }
    const LastBoardsView& lastBoards() const { return *lastBoards_; }
    // The tile of a pod, or null.
    PodTile* Tile(const std::string& serial) const;
    std::vector<std::string> TileSerials() const;
    QString Message() const;
    bool MessageIsError() const { return messageIsError_; }
    bool Running() const { return runs_ != nullptr && runs_->Running(); }
    QPushButton* startButton() const { return start_; }
    QPushButton* stopButton() const { return stop_; }
    // The pods as last listed.
    const std::vector<std::string>& listed() const { return listed_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void BuildLayout();
    void ShowMessage(const QString& text, bool isError);
    void OnListed(const std::vector<std::string>& serials);
    void StartPods(const std::vector<std::string>& serials);
    PodTile* AddTile(const std::string& serial);
    void RemoveTile(const std::string& serial);
    void LayOutTiles();
    void Release(const std::vector<std::string>& pods);
    void ShowBoard(const BoardResult& board);
    // A tile that may take a new board: its pod attached and in no run.
    bool Startable(const std::string& serial) const;

    // StationRunsListener
    void OnTileUpdate(const std::string& pod, const TileUpdate& update) override;
    void OnRefused(const std::vector<std::string>& pods, const std::string& message) override;
    void OnNote(const std::string& note) override;
    void OnFinished(const std::vector<std::string>& pods, const RunReport& report) override;
    void OnStoreView(const StoreView& view) override;

    station::PodStation& station_;
    station::PodClaims& claims_;
    OperatorSettings settings_;
    station::JobPlan plan_;
    std::vector<std::string> listed_;
    bool listedOnce_ = false;
    std::map<std::string, PodTile*> tiles_;
    std::set<std::string> busy_;        // pods of runs that have not ended
    std::vector<BoardResult> stopped_;  // boards of runs that ended after Stop
    bool stopRequested_ = false;
    station::RecordCounts session_;

    JobSummaryView* summary_;
    CounterView* counters_;
    LastBoardsView* lastBoards_;
    QLabel* message_;
    QWidget* tileArea_;
    QGridLayout* tileGrid_;
    QPushButton* start_;
    QPushButton* stop_;
    bool messageIsError_ = false;

    std::unique_ptr<StationRuns> runs_;
    std::unique_ptr<PodPoller> poller_;
};

}  // namespace nembra
