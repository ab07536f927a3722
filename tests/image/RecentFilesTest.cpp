// The recent-file list and the calls it makes on its drop-down mirror.
#include <gtest/gtest.h>

#include "image/RecentFiles.h"

namespace nembra {
namespace {

// Keeps its own copy of the list from the calls alone, so a test can check
// that the two never drift apart.
class MirrorView : public RecentListView {
public:
    void AppendEntry(const std::string& path) override {
        entries.push_back(path);
        calls.push_back("append " + path);
    }
    void InsertEntryAtFront(const std::string& path) override {
        entries.insert(entries.begin(), path);
        calls.push_back("front " + path);
    }
    void RemoveEntry(int index) override {
        entries.erase(entries.begin() + index);
        calls.push_back("remove " + std::to_string(index));
    }
    void SelectFirstEntry() override { calls.push_back("select"); }

    std::vector<std::string> entries;
    std::vector<std::string> calls;
};

struct RecentFixture {
    RecentFixture() { recent.SetView(&view); }
    void Fill(int count) {
        for (int i = count - 1; i >= 0; --i) recent.AddRecentFile("p" + std::to_string(i));
        view.calls.clear();
    }
    RecentFiles recent;
    MirrorView view;
};

using Calls = std::vector<std::string>;

TEST(RecentFilesTest, FirstEntryIsAppendedWithoutSelecting) {
    RecentFixture f;
    f.recent.AddRecentFile("/a.out");
    EXPECT_EQ(f.view.calls, Calls{"append /a.out"});
    EXPECT_EQ(f.recent.paths(), Calls{"/a.out"});
}

TEST(RecentFilesTest, FrontEntryChangesNothingButIsSelected) {
    RecentFixture f;
    f.Fill(3);
    f.recent.AddRecentFile("p0");
    EXPECT_EQ(f.view.calls, Calls{"select"});
    EXPECT_EQ(f.recent.paths(), (Calls{"p0", "p1", "p2"}));
}

TEST(RecentFilesTest, KnownEntryMovesToTheFront) {
    RecentFixture f;
    f.Fill(5);
    f.recent.AddRecentFile("p3");
    EXPECT_EQ(f.view.calls, (Calls{"remove 3", "front p3", "select"}));
    EXPECT_EQ(f.recent.paths(), (Calls{"p3", "p0", "p1", "p2", "p4"}));
    EXPECT_EQ(f.view.entries, f.recent.paths());
}

TEST(RecentFilesTest, FullListDropsItsLastEntry) {
    RecentFixture f;
    f.Fill(10);
    f.recent.AddRecentFile("new");
    EXPECT_EQ(f.view.calls, (Calls{"remove 9", "front new", "select"}));
    ASSERT_EQ(f.recent.paths().size(), 10u);
    EXPECT_EQ(f.recent.paths().front(), "new");
    EXPECT_EQ(f.recent.paths().back(), "p8");
    EXPECT_EQ(f.view.entries, f.recent.paths());
}

TEST(RecentFilesTest, ComparisonIsExact) {
    RecentFixture f;
    f.recent.AddRecentFile("/x/Prog.out");
    f.recent.AddRecentFile("/x/prog.out");
    EXPECT_EQ(f.recent.paths(), (Calls{"/x/prog.out", "/x/Prog.out"}));
}

TEST(RecentFilesTest, OverlongRestoredListIsCutBackInStep) {
    RecentFixture f;
    for (int i = 0; i < 12; ++i) {
        f.recent.Append("r" + std::to_string(i));
        f.view.entries.push_back("r" + std::to_string(i));
    }
    f.recent.AddRecentFile("new");
    EXPECT_EQ(f.recent.paths().size(), 10u);
    EXPECT_EQ(f.view.entries, f.recent.paths());
}

TEST(RecentFilesTest, WorksWithoutAView) {
    RecentFiles recent;
    recent.AddRecentFile("a");
    recent.AddRecentFile("b");
    recent.AddRecentFile("a");
    EXPECT_EQ(recent.paths(), (Calls{"a", "b"}));
}

}  // namespace
}  // namespace nembra
