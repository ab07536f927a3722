#pragma once
#include <QLineEdit>
#include <QValidator>

namespace nembra {

// A field's character limit as the platform's edit limit works: it stops
// typing and pasting beyond the limit but never shortens a longer text that
// the program put there. The field's own maximum length is raised to such a
// text and drops back toward the limit as the user shortens it.
void SetFieldLimit(QLineEdit* field, int limit);
int FieldLimit(const QLineEdit* field);
// Sets the text whole, even when it is longer than the field's limit.
void SetLimitedText(QLineEdit* field, const QString& text);

// Turns letters to upper case as they are typed or pasted.
class UpperCaseValidator : public QValidator {
    Q_OBJECT

public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;
};

}  // namespace nembra
