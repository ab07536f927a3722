#pragma once
#include <string>

namespace nembra {

// Writes all of `text` to `fd`, going on after a short write or a signal;
// false (errno set) when the descriptor refuses the rest.
bool WriteAll(int fd, const std::string& text);

}  // namespace nembra
