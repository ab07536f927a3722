#pragma once
#include <string>

namespace nembra {

// What happens to a file that already exists with wider permissions.
enum class ExistingFile {
    Keep,           // a file the user made (a shared log, say) keeps its mode
    NarrowIfOwned,  // made 0600 when this user owns it; left as it is otherwise
    MustNarrow,     // made 0600, or the open fails: its content must stay private
};

enum class Links {
    NotFollowed,  // O_NOFOLLOW: a link planted in a shared folder is refused
    Followed,     // for an output the user names, which may be /dev/stderr
};

// Opens (creating when missing) a file that only its owner may read or lock:
// created 0600 whatever the umask, and only a regular file is ever narrowed
// (a trace to /dev/null leaves it alone). `flags` are open()'s access flags
// (O_WRONLY | O_APPEND, ...). The file descriptor, or -1 with errno set.
int OpenPrivateFile(const std::string& path, int flags, ExistingFile existing, Links links = Links::NotFollowed);

// The reason an open of `path` failed with `error`, for a message; a
// symbolic link refused by O_NOFOLLOW says so instead of "Too many levels".
std::string OpenFailureText(const std::string& path, int error);

}  // namespace nembra
