#pragma once
#include <string>

#include "sim/SimFrameParser.h"
#include "sim/SimReply.h"
#include "sim/SimSerialFlash.h"
#include "sim/SimTarget.h"

namespace nembra {

// The pod firmware's command handler: hands one well-formed frame to the
// target model or the serial flash and says what the pod answers.
class SimPodDispatch {
public:
    SimPodDispatch(SimTarget& target, SimSerialFlash& serialFlash) : target_(target), serialFlash_(serialFlash) {}

    SimReply Execute(const SimFrame& frame);
    void SetVersionReply(const std::string& fiveChars);

private:
    SimReply FlashOperation(const std::string& fields);
    SimReply SerialFlashRecord(char letter, const std::string& fields);

    SimTarget& target_;
    SimSerialFlash& serialFlash_;
    std::string version_ = "KVL15";
};

}  // namespace nembra
