#pragma once
#include <QString>
#include <QWidget>
#include <functional>

namespace nembra {

// Asks the user for an existing program file; an empty result means cancelled.
using FileChooser = std::function<QString(QWidget* parent, const QString& startFolder)>;

// The platform's file-open dialog, filtered to "COFF Files (.out)" (*.out),
// starting in startFolder when it is not empty.
QString ChooseCoffFile(QWidget* parent, const QString& startFolder);

}  // namespace nembra
