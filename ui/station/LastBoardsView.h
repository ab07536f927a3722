#pragma once
#include <QGroupBox>
#include <QString>

class QTableWidget;

namespace nembra {

// One board as the last-boards list shows it.
struct BoardEntry {
    QString boardSerial;  // empty: the job gives no serial numbers
    QString pod;
    bool passed = false;
    QString result;  // "PASS", or "FAIL: " and what failed
    QString time;    // local time of day
};

// The last boards programmed, newest first; the oldest drop off the end.
class LastBoardsView : public QGroupBox {
    Q_OBJECT

public:
    static constexpr int kRows = 50;

    explicit LastBoardsView(QWidget* parent = nullptr);

    void Add(const BoardEntry& entry);
    int rowCount() const;
    // The text of a cell: column 0 serial number, 1 pod, 2 result, 3 time.
    QString Cell(int row, int column) const;

private:
    QTableWidget* table_;
};

}  // namespace nembra
