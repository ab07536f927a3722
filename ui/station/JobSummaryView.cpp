#include "ui/station/JobSummaryView.h"

#include <QFormLayout>
#include <QLabel>

namespace nembra {
namespace {

const char* const kCaptions[] = {
    "Job", "Device", "Program", "SHA-256", "CRC-32", "Erase", "CSM keys", "Next serial number", "Numbers left"};

}  // namespace

JobSummaryView::JobSummaryView(QWidget* parent) : QGroupBox(tr("Job"), parent) {
    auto* layout = new QFormLayout(this);
    layout->setLabelAlignment(Qt::AlignRight);
    for (const char* caption : kCaptions) AddRow(QString::fromLatin1(caption));
}

void JobSummaryView::AddRow(const QString& caption) {
    auto* value = new QLabel(this);
    // Shown, never edited: the text can be selected to copy a hash, nothing more.
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    value->setObjectName(QStringLiteral("jobField-") + caption);
    static_cast<QFormLayout*>(layout())->addRow(caption + QStringLiteral(":"), value);
    values_[caption] = value;
}

void JobSummaryView::Set(const QString& caption, const QString& value) { values_.at(caption)->setText(value); }

void JobSummaryView::Show(const JobSummary& s) {
    Set(QStringLiteral("Job"), s.name);
    Set(QStringLiteral("Device"), s.device);
    Set(QStringLiteral("Program"), s.program);
    Set(QStringLiteral("SHA-256"), s.sha256);
    Set(QStringLiteral("CRC-32"), s.crc32);
    Set(QStringLiteral("Erase"), s.erase);
    Set(QStringLiteral("CSM keys"), s.csm);
    ShowSerials(s.nextSerial, s.serialsLeft);
}

void JobSummaryView::ShowSerials(const QString& next, const QString& left) {
    Set(QStringLiteral("Next serial number"), next);
    Set(QStringLiteral("Numbers left"), left);
}

QString JobSummaryView::Field(const QString& caption) const {
    const auto found = values_.find(caption);
    return found == values_.end() ? QString() : found->second->text();
}

}  // namespace nembra
