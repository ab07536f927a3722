#pragma once
#include <string>

namespace nembra::station {

// SHA-256 of a file's bytes as lower-case hex; empty when it cannot be read.
std::string FileSha256(const std::string& path);

// True for 64 hexadecimal digits (either case).
bool IsSha256Text(const std::string& text);

}  // namespace nembra::station
