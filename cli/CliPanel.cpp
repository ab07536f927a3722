#include "cli/CliPanel.h"

namespace nembra::cli {

CliPanel::CliPanel(const CliOptions& options)
    : filePath_(options.file),
      device_(options.device),
      eraseAll_(options.eraseAll),
      unlock_(options.unlock),
      keys_(options.keys),
      podFileName_(options.podName) {}

std::string CliPanel::KeyFieldText(int n) const {
    if (n < 0 || n >= static_cast<int>(keys_.size())) return {};
    return keys_[static_cast<size_t>(n)];
}

}  // namespace nembra::cli
