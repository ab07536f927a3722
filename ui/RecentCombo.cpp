#include "ui/RecentCombo.h"

namespace nembra {

void RecentCombo::AppendEntry(const std::string& path) {
    if (box_) box_->addItem(QString::fromStdString(path));
}

void RecentCombo::InsertEntryAtFront(const std::string& path) {
    if (box_) box_->insertItem(0, QString::fromStdString(path));
}

void RecentCombo::RemoveEntry(int index) {
    if (box_) box_->removeItem(index);
}

void RecentCombo::SelectFirstEntry() {
    if (!box_ || box_->count() == 0) return;
    box_->setCurrentIndex(0);
    // Selecting shows the entry even when it was selected already and the
    // user has typed over the box's text since.
    if (box_->isEditable()) box_->setEditText(box_->itemText(0));
}

}  // namespace nembra
