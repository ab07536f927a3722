#pragma once
#include <QComboBox>
#include <QPointer>

#include "image/RecentFiles.h"

namespace nembra {

// The File Path box's drop-down list as the mirror of the recent-file list.
class RecentCombo : public RecentListView {
public:
    explicit RecentCombo(QComboBox* box) : box_(box) {}

    void AppendEntry(const std::string& path) override;
    void InsertEntryAtFront(const std::string& path) override;
    void RemoveEntry(int index) override;
    void SelectFirstEntry() override;

private:
    QPointer<QComboBox> box_;
};

}  // namespace nembra
