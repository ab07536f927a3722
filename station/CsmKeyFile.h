#pragma once
#include <array>
#include <string>
#include <vector>

namespace nembra::station {

// A CSM key text as the key fields take it: one to four hexadecimal digits
// with an optional 0x prefix. A mistyped password locks the chip for good, so
// nothing that would be read only in part is taken.
bool IsCsmKeyText(const std::string& key);

// The eight password words KEY0..KEY7 as texts.
using CsmKeys = std::array<std::string, 8>;

// Checks that the key file belongs to this user and is unreadable by others;
// each problem names the file and, where a mode is wrong, the `chmod 600`
// that mends it. Empty when the file may be read.
std::vector<std::string> CheckCsmKeyFile(const std::string& path);

// Reads the key file: eight keys (FFFF for an unused word) separated by
// commas, blanks or line ends, '#' starting a comment. The file is checked first. Messages never quote a
// key, so a secret never reaches an output, a record or a trace.
bool ReadCsmKeyFile(const std::string& path, CsmKeys& keys, std::string& error);

}  // namespace nembra::station
