#pragma once
#include <string>
#include <vector>

namespace nembra {

// The folders where this user may keep files no other user can make first
// or hold (lock files, claims), in order: $XDG_RUNTIME_DIR when it is a
// folder this user owns that no one else may write, then
// $HOME/.local/state/nembra (made 0700 when missing) on the same terms.
// Never a shared folder such as /tmp. `passedOver` gets one reason per
// place that cannot be used.
std::vector<std::string> PrivateRuntimeFolders(std::vector<std::string>& passedOver);

// Why `folder` cannot hold private files, or nothing when it can: a folder
// this user owns, which no one else may write.
std::string WhyNotPrivate(const std::string& folder);

}  // namespace nembra
