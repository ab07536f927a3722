#pragma once
#include <nlohmann/json.hpp>
#include <string>

namespace nembra::station {

// The JSON text of `json`, `indent` as dump() takes it. Text that is not
// valid UTF-8 (a Latin-1 path, a name another tool stored in the pod, an
// option value) never aborts the output: each byte that cannot begin a
// UTF-8 character, and each character cut short, becomes U+FFFD.
std::string JsonText(const nlohmann::ordered_json& json, int indent = -1);

}  // namespace nembra::station
