#include "ui/station/LastBoardsView.h"

#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>

namespace nembra {

LastBoardsView::LastBoardsView(QWidget* parent) : QGroupBox(tr("Last boards"), parent), table_(new QTableWidget(this)) {
    table_->setColumnCount(4);
    table_->setHorizontalHeaderLabels({tr("Serial number"), tr("Pod"), tr("Result"), tr("Time")});
    table_->verticalHeader()->setVisible(false);
    table_->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionMode(QAbstractItemView::NoSelection);
    table_->setFocusPolicy(Qt::NoFocus);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_);
}

void LastBoardsView::Add(const BoardEntry& entry) {
    table_->insertRow(0);
    const QString cells[] = {entry.boardSerial, entry.pod, entry.result, entry.time};
    for (int column = 0; column < 4; ++column) {
        auto* item = new QTableWidgetItem(cells[column]);
        if (column == 2) item->setForeground(entry.passed ? QColor(0x00, 0x80, 0x00) : QColor(0xD0, 0x00, 0x00));
        table_->setItem(0, column, item);
    }
    while (table_->rowCount() > kRows) table_->removeRow(table_->rowCount() - 1);
}

int LastBoardsView::rowCount() const { return table_->rowCount(); }

QString LastBoardsView::Cell(int row, int column) const {
    const QTableWidgetItem* item = table_->item(row, column);
    return item != nullptr ? item->text() : QString();
}

}  // namespace nembra
