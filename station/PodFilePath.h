#pragma once
#include <string>

namespace nembra::station {

// A file of one pod among several: the pod's serial number before the
// extension, "run/t.trace" for SIM00002 giving "run/t.SIM00002.trace".
std::string PodFilePath(const std::string& path, const std::string& serial);

}  // namespace nembra::station
