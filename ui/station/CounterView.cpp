#include "ui/station/CounterView.h"

#include <QFormLayout>
#include <QLabel>

namespace nembra {

QString CountsText(const station::RecordCounts& c) {
    return QStringLiteral("passed %1, failed %2, total %3").arg(c.passed).arg(c.failed).arg(c.total);
}

CounterView::CounterView(QWidget* parent)
    : QGroupBox(tr("Boards"), parent), sessionLabel_(new QLabel(this)), storeLabel_(new QLabel(this)) {
    auto* layout = new QFormLayout(this);
    QFont big = sessionLabel_->font();
    big.setPointSize(big.pointSize() + 3);
    big.setBold(true);
    sessionLabel_->setFont(big);
    layout->addRow(tr("This session:"), sessionLabel_);
    layout->addRow(tr("This job, all stations:"), storeLabel_);
    ShowSession({});
    ShowStore({});
}

void CounterView::ShowSession(const station::RecordCounts& counts) {
    session_ = counts;
    sessionLabel_->setText(CountsText(counts));
}

void CounterView::ShowStore(const station::RecordCounts& counts) {
    store_ = counts;
    storeLabel_->setText(CountsText(counts));
    storeLabel_->setToolTip({});
}

void CounterView::ShowStoreUnknown(const QString& why) {
    storeLabel_->setText(CountsText(store_) + tr(" (the store did not answer)"));
    storeLabel_->setToolTip(why);
}

QString CounterView::SessionText() const { return sessionLabel_->text(); }

QString CounterView::StoreText() const { return storeLabel_->text(); }

}  // namespace nembra
