#pragma once
#include <memory>
#include <string>

#include "station/PodBackend.h"

namespace nembra::station {

// A backend whose link opens one pod only and can be stopped. It shares the
// pod's own backend, which it keeps alive while a run uses it even when the
// station no longer lists the pod.
class PinnedBackend : public PodBackend {
public:
    PinnedBackend(std::shared_ptr<PodBackend> inner, const std::string& serial, const StopRequest* stop)
        : inner_(std::move(inner)), serial_(serial), stop_(stop) {}
    DriverLoader& loader() override { return inner_->loader(); }
    LinkClock& linkClock() override { return inner_->linkClock(); }
    OpsClock& opsClock() override { return inner_->opsClock(); }
    SimPod* simPod() override { return inner_->simPod(); }
    const StopRequest* stopRequest() const override { return stop_; }
    std::string podSerial() const override { return serial_; }

private:
    std::shared_ptr<PodBackend> inner_;
    std::string serial_;
    const StopRequest* stop_;
};

}  // namespace nembra::station
