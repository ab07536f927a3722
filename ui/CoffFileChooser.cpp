#include "ui/CoffFileChooser.h"

#include <QFileDialog>

namespace nembra {

QString ChooseCoffFile(QWidget* parent, const QString& startFolder) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(QStringLiteral("COFF Files (.out) (*.out)"));
    if (!startFolder.isEmpty()) dialog.setDirectory(startFolder);
    if (dialog.exec() != QDialog::Accepted) return {};
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? QString() : chosen.front();
}

}  // namespace nembra
