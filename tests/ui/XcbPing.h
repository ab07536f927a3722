#pragma once
#include <chrono>
#include <cstdint>
#include <optional>

namespace nembra::testing {

// Sends an X window a _NET_WM_PING over a connection of its own, as a
// window manager does, and waits for the answer that the window's client
// sends to the root window. The time the answer took; none when no answer
// came within the limit or no X server could be reached.
std::optional<std::chrono::milliseconds> PingOverX(uint32_t window, std::chrono::milliseconds limit);

}  // namespace nembra::testing
