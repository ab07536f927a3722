#pragma once
#include <QGroupBox>
#include <cstdint>

#include "station/RecordStore.h"

class QLabel;

namespace nembra {

// Passed, failed and total boards: of this session, and of the job in its
// record store (which every station of the line shares).
class CounterView : public QGroupBox {
    Q_OBJECT

public:
    explicit CounterView(QWidget* parent = nullptr);

    void ShowSession(const station::RecordCounts& counts);
    void ShowStore(const station::RecordCounts& counts);
    // The store did not answer the count; the last counts it gave stay.
    void ShowStoreUnknown(const QString& why);

    station::RecordCounts session() const { return session_; }
    station::RecordCounts store() const { return store_; }
    QString SessionText() const;
    QString StoreText() const;

private:
    station::RecordCounts session_;
    station::RecordCounts store_;
    QLabel* sessionLabel_;
    QLabel* storeLabel_;
};

// "passed 3, failed 1, total 4".
QString CountsText(const station::RecordCounts& counts);

}  // namespace nembra
