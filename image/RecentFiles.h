#pragma once
#include <string>
#include <vector>

namespace nembra {

// The drop-down list that mirrors the recent-file list entry for entry.
class RecentListView {
public:
    virtual ~RecentListView() = default;
    virtual void AppendEntry(const std::string& path) = 0;
    virtual void InsertEntryAtFront(const std::string& path) = 0;
    virtual void RemoveEntry(int index) = 0;
    virtual void SelectFirstEntry() = 0;
};

inline constexpr int kMaxRecentFiles = 10;

// Recently loaded program files, most recent first.
class RecentFiles {
public:
    void SetView(RecentListView* view) { view_ = view; }
    const std::vector<std::string>& paths() const { return paths_; }
    // Restoring from the settings: appended without touching the view.
    void Append(const std::string& path) { paths_.push_back(path); }
    void Clear() { paths_.clear(); }
    // Moves or inserts the path at the front (paths compared exactly).
    void AddRecentFile(const std::string& path);

private:
    std::vector<std::string> paths_;
    RecentListView* view_ = nullptr;
};

}  // namespace nembra
