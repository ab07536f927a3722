#include "ui/FieldLimit.h"

#include <algorithm>

#include <QVariant>

namespace nembra {

namespace {

constexpr const char* kLimitProperty = "textLimit";

void FitMaxLength(QLineEdit* field) {
    const auto length = static_cast<int>(field->text().size());
    field->setMaxLength(std::max(FieldLimit(field), length));
}

}  // namespace

void SetFieldLimit(QLineEdit* field, int limit) {
    const bool first = !field->property(kLimitProperty).isValid();
    field->setProperty(kLimitProperty, limit);
    FitMaxLength(field);
    if (first) QObject::connect(field, &QLineEdit::textEdited, field, [field] { FitMaxLength(field); });
}

int FieldLimit(const QLineEdit* field) {
    const QVariant limit = field->property(kLimitProperty);
    return limit.isValid() ? limit.toInt() : field->maxLength();
}

void SetLimitedText(QLineEdit* field, const QString& text) {
    field->setMaxLength(std::max(FieldLimit(field), static_cast<int>(text.size())));
    field->setText(text);
}

QValidator::State UpperCaseValidator::validate(QString& input, int&) const {
    input = input.toUpper();
    return Acceptable;
}

}  // namespace nembra
