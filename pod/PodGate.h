#pragma once
#include <string>

namespace nembra {

// Decides whether this program may open a pod, so that two programs on one
// host never drive the same pod at the same time. A link with a gate holds
// the pod's claim from its open to its close.
class PodGate {
public:
    virtual ~PodGate() = default;
    // True when this program may open the pod with this serial number, and
    // then holds it until Release; false with a sentence saying why not.
    virtual bool Claim(const std::string& serial, std::string& refusal) = 0;
    virtual void Release(const std::string& serial) = 0;
};

}  // namespace nembra
