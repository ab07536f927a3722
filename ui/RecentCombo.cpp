#include "ui/RecentCombo.h"

#include "ui/GuiThreadCall.h"

namespace nembra {

// A Load on an operation's worker thread changes the list; the box is
// changed on the GUI thread only.

void RecentCombo::AppendEntry(const std::string& path) {
    QComboBox* box = box_.data();
    if (box) CallOnThreadOf(*box, [box, &path] { box->addItem(QString::fromStdString(path)); });
}

void RecentCombo::InsertEntryAtFront(const std::string& path) {
    QComboBox* box = box_.data();
    if (box) CallOnThreadOf(*box, [box, &path] { box->insertItem(0, QString::fromStdString(path)); });
}

void RecentCombo::RemoveEntry(int index) {
    QComboBox* box = box_.data();
    if (box) CallOnThreadOf(*box, [box, index] { box->removeItem(index); });
}

void RecentCombo::SelectFirstEntry() {
    QComboBox* box = box_.data();
    if (!box) return;
    CallOnThreadOf(*box, [box] {
        if (box->count() == 0) return;
        box->setCurrentIndex(0);
        // Selecting shows the entry even when it was selected already and
        // the user has typed over the box's text since.
        if (box->isEditable()) box->setEditText(box->itemText(0));
    });
}

}  // namespace nembra
