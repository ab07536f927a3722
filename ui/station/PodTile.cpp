#include "ui/station/PodTile.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace nembra {
namespace {

struct StateLook {
    const char* word;
    QColor background;
    QColor text;
};

StateLook LookOf(PodTile::State state) {
    switch (state) {
        case PodTile::State::Waiting: return {"WAITING", QColor(0xE0, 0xE0, 0xE0), Qt::black};
        case PodTile::State::Running: return {"RUNNING", QColor(0xFF, 0xE0, 0x80), Qt::black};
        case PodTile::State::Passed: return {"PASS", QColor(0x00, 0xA0, 0x00), Qt::white};
        case PodTile::State::Failed: return {"FAIL", QColor(0xD0, 0x00, 0x00), Qt::white};
        case PodTile::State::Unplugged: return {"UNPLUGGED", QColor(0x90, 0x90, 0x90), Qt::white};
        case PodTile::State::Held: return {"IN USE", QColor(0x60, 0x60, 0xA0), Qt::white};
    }
    return {"WAITING", Qt::lightGray, Qt::black};
}

}  // namespace

PodTile::PodTile(const QString& serial, QWidget* parent)
    : QFrame(parent),
      serial_(serial),
      serialLabel_(new QLabel(serial, this)),
      stateLabel_(new QLabel(this)),
      detail_(new QLabel(this)),
      progress_(new QProgressBar(this)),
      start_(new QPushButton(tr("Start"), this)) {
    setFrameShape(QFrame::Box);
    setObjectName(QStringLiteral("podTile-") + serial);
    QFont big = stateLabel_->font();
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    stateLabel_->setFont(big);
    stateLabel_->setAlignment(Qt::AlignCenter);
    stateLabel_->setAutoFillBackground(true);
    stateLabel_->setMinimumHeight(48);
    QFont bold = serialLabel_->font();
    bold.setBold(true);
    serialLabel_->setFont(bold);
    serialLabel_->setAlignment(Qt::AlignCenter);
    detail_->setWordWrap(true);
    detail_->setAlignment(Qt::AlignCenter);
    detail_->setMinimumHeight(36);
    // The operator starts a tile with its button; Space and Enter start them all.
    start_->setFocusPolicy(Qt::NoFocus);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(serialLabel_);
    layout->addWidget(stateLabel_);
    layout->addWidget(progress_);
    layout->addWidget(detail_);
    layout->addWidget(start_);
    setMinimumWidth(200);
    connect(start_, &QPushButton::clicked, this, [this] { emit startRequested(serial_); });
    ShowWaiting();
}

void PodTile::Show(State state, const QString& detail) {
    state_ = state;
    const StateLook look = LookOf(state);
    stateLabel_->setText(QString::fromLatin1(look.word));
    QPalette palette = stateLabel_->palette();
    palette.setColor(QPalette::Window, look.background);
    palette.setColor(QPalette::WindowText, look.text);
    stateLabel_->setPalette(palette);
    detail_->setText(detail);
    progress_->setVisible(state == State::Running);
    // A board that passed or failed can be replaced and run again, and a pod
    // another program held may be free by now.
    start_->setEnabled(state != State::Running && state != State::Unplugged);
}

void PodTile::ShowWaiting() { Show(State::Waiting, tr("Ready for a board")); }

void PodTile::ShowRunning(const QString& phase, int done, int total) {
    if (state_ != State::Running || detail_->text() != phase) Show(State::Running, phase);
    progress_->setRange(0, total > 0 ? total : 1);
    progress_->setValue(total > 0 ? done : 0);
}

void PodTile::ShowRunningLine(const QString& line) {
    if (state_ != State::Running) {
        Show(State::Running, line);
        progress_->setRange(0, 1);
        progress_->setValue(0);
    } else {
        detail_->setText(line);
    }
}

void PodTile::ShowPassed(const QString& line) { Show(State::Passed, line); }

void PodTile::ShowFailed(const QString& failure, const QString& line) {
    Show(State::Failed, line.isEmpty() || line == failure ? failure : failure + QStringLiteral("\n") + line);
}

void PodTile::ShowUnplugged() { Show(State::Unplugged, tr("The pod is not attached")); }

void PodTile::ShowHeld(const QString& refusal) { Show(State::Held, refusal); }

QString PodTile::stateText() const { return stateLabel_->text(); }

QString PodTile::detailText() const { return detail_->text(); }

QColor PodTile::stateColor() const { return LookOf(state_).background; }

}  // namespace nembra
