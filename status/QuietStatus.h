#pragma once
#include <cstdint>
#include <string>

#include "status/StatusSink.h"

namespace nembra {

// A status sink that shows nothing, for work whose messages are not the
// user's to see.
class QuietStatus : public StatusSink {
public:
    void ShowMessage(const std::string&, bool) override {}
    void SetRange(int32_t, int32_t) override {}
    void SetStep(int32_t) override {}
    int32_t SetPos(int32_t) override { return 0; }
    int32_t StepIt() override { return 0; }
};

}  // namespace nembra
