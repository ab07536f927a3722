#pragma once
#include <QFrame>
#include <QString>

class QLabel;
class QProgressBar;
class QPushButton;

namespace nembra {

// One programming position of the station: the pod's serial number, its
// state in a word a person reads from across the bench, and under it what
// the pod does now or what went wrong. A waiting pod can be started alone.
class PodTile : public QFrame {
    Q_OBJECT

public:
    enum class State { Waiting, Running, Passed, Failed, Unplugged, Held };

    explicit PodTile(const QString& serial, QWidget* parent = nullptr);

    void ShowWaiting();
    // `phase`: what the pod does now ("Erasing the flash"); done of total units.
    void ShowRunning(const QString& phase, int done, int total);
    // A line of the run while no phase counts; the bar stays as it is.
    void ShowRunningLine(const QString& line);
    void ShowPassed(const QString& line);
    // `failure`: the failing step and cause in plain words; `line` the run's final line.
    void ShowFailed(const QString& failure, const QString& line);
    void ShowUnplugged();
    // Another program on this host drives the pod.
    void ShowHeld(const QString& refusal);

    State state() const { return state_; }
    QString serial() const { return serial_; }
    // The big word: "WAITING", "RUNNING", "PASS", "FAIL", "UNPLUGGED", "IN USE".
    QString stateText() const;
    // The line under it.
    QString detailText() const;
    const QProgressBar* progress() const { return progress_; }
    QPushButton* startButton() const { return start_; }
    // The colour the state is shown on.
    QColor stateColor() const;

signals:
    void startRequested(const QString& serial);

private:
    void Show(State state, const QString& detail);

    QString serial_;
    State state_ = State::Waiting;
    QLabel* serialLabel_;
    QLabel* stateLabel_;
    QLabel* detail_;
    QProgressBar* progress_;
    QPushButton* start_;
};

}  // namespace nembra
