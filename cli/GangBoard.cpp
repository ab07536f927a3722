#include "cli/GangBoard.h"

#include <algorithm>

namespace nembra::cli {

GangBoard::GangBoard(std::ostream& out, const std::vector<std::string>& serials, int columns)
    : out_(out), lines_(serials.size()), columns_(columns) {
    size_t width = 0;
    for (const std::string& serial : serials) width = std::max(width, serial.size());
    for (const std::string& serial : serials)
        prefixes_.push_back(serial + std::string(width - serial.size(), ' ') + "  ");
}

int GangBoard::lineColumns() const {
    const int prefix = prefixes_.empty() ? 0 : static_cast<int>(prefixes_.front().size());
    return std::max(10, columns_ - prefix);
}

void GangBoard::Draw(size_t pod, const std::string& line) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (pod >= lines_.size() || lines_[pod] == line) return;
    lines_[pod] = line;
    Redraw();
}

// Back to the first pod's line, then every line anew.
void GangBoard::Redraw() {
    if (drawn_) out_ << "\033[" << lines_.size() << "A";
    for (size_t i = 0; i < lines_.size(); ++i) out_ << "\r\033[K" << prefixes_[i] << lines_[i] << "\n";
    out_ << std::flush;
    drawn_ = true;
}

void GangBoard::Finish() {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (!drawn_) return;
    out_ << "\033[" << lines_.size() << "A\r\033[J" << std::flush;
    drawn_ = false;
}

}  // namespace nembra::cli
