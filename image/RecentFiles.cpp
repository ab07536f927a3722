#include "image/RecentFiles.h"

#include <algorithm>

namespace nembra {

void RecentFiles::AddRecentFile(const std::string& path) {
    if (paths_.empty()) {
        // The first entry is shown in the list but the box keeps its text.
        paths_.push_back(path);
        if (view_) view_->AppendEntry(path);
        return;
    }
    const auto found = std::find(paths_.begin(), paths_.end(), path);
    if (found == paths_.begin()) {
        if (view_) view_->SelectFirstEntry();
        return;
    }
    if (found != paths_.end()) {
        const int index = static_cast<int>(found - paths_.begin());
        paths_.erase(found);
        if (view_) view_->RemoveEntry(index);
    } else {
        // A full list loses its oldest entry; a list restored longer than the
        // limit is cut back too, entry by entry so the view stays a mirror.
        while (static_cast<int>(paths_.size()) >= kMaxRecentFiles) {
            const int last = static_cast<int>(paths_.size()) - 1;
            paths_.pop_back();
            if (view_) view_->RemoveEntry(last);
        }
    }
    paths_.insert(paths_.begin(), path);
    if (view_) {
        view_->InsertEntryAtFront(path);
        view_->SelectFirstEntry();
    }
}

}  // namespace nembra
