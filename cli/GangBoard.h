#pragma once
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

namespace nembra::cli {

// One progress line per pod on the terminal, each prefixed with the pod's
// serial number, redrawn together whenever one of them changes. The pods'
// threads call Draw; the lines are wiped by Finish.
class GangBoard {
public:
    GangBoard(std::ostream& out, const std::vector<std::string>& serials, int columns);

    // Columns left for a pod's own line after its prefix.
    int lineColumns() const;
    void Draw(size_t pod, const std::string& line);
    void Finish();

private:
    void Redraw();

    std::mutex mutex_;
    std::ostream& out_;
    std::vector<std::string> prefixes_;
    std::vector<std::string> lines_;
    int columns_;
    bool drawn_ = false;
};

}  // namespace nembra::cli
