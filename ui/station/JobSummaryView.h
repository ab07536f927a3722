#pragma once
#include <QGroupBox>
#include <QString>
#include <map>

class QLabel;

namespace nembra {

// What the operator is told of the job, read only: what it is, which
// program it writes and how to recognise that program, and where its serial
// numbers stand. Never the CSM keys, only whether they are used.
struct JobSummary {
    QString name;
    QString device;
    QString program;     // the file's name, without its folder
    QString sha256;      // short form
    QString crc32;       // of the words the job sends
    QString erase;       // "intelligent (sectors A, C and D)", "all", ...
    QString csm;         // "used" or "not used"
    QString nextSerial;  // "1004", or "none (no serial numbers)"
    QString serialsLeft;
};

class JobSummaryView : public QGroupBox {
    Q_OBJECT

public:
    explicit JobSummaryView(QWidget* parent = nullptr);

    void Show(const JobSummary& summary);
    // The serial-number rows change with every run.
    void ShowSerials(const QString& next, const QString& left);
    // The value shown under a caption ("Program", "SHA-256", ...).
    QString Field(const QString& caption) const;

private:
    void AddRow(const QString& caption);
    void Set(const QString& caption, const QString& value);

    std::map<QString, QLabel*> values_;
};

}  // namespace nembra
