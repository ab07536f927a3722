#pragma once
#include <memory>
#include <string>

#include "pod/PodGate.h"
#include "station/PodClaim.h"

namespace nembra {

// The window's link asks the host's pod claims before it opens a pod, so
// that it never drives a pod the operator's station holds, and holds the
// claim itself while the pod is open, so that the station cannot take it.
class ClaimGate : public PodGate {
public:
    explicit ClaimGate(station::PodClaims& claims) : claims_(claims) {}
    bool Claim(const std::string& serial, std::string& refusal) override { return claims_.Claim(serial, refusal); }
    void Release(const std::string& serial) override { claims_.Release(serial); }

private:
    station::PodClaims& claims_;
};

}  // namespace nembra
