#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pod/PodCommands.h"
#include "pod/ProtocolTrace.h"
#include "tests/pod/LinkFixture.h"

namespace nembra::testing {

// A connected link to a scripted pod: each test says what the pod answers
// to each write and reads back, byte for byte, what the host wrote.
class CommandTest : public LinkTest {
protected:
    void SetUp() override {
        device.AddDevice(kPodDescription, &peer);
        Connect();
        mark_ = device.written().size();
    }

    // The pod answers every write with these bytes, due 1 ms later.
    void AnswerEachWrite(std::vector<uint8_t> reply) {
        peer.script = [reply](const std::vector<uint8_t>&, uint32_t now, ReplyQueue& replies) {
            for (uint8_t b : reply) replies.Push(b, now + 1);
        };
    }
    void AnswerEachWrite(const std::string& reply) {
        AnswerEachWrite(std::vector<uint8_t>(reply.begin(), reply.end()));
    }
    // The pod stays silent.
    void Silent() {
        peer.script = [](const std::vector<uint8_t>&, uint32_t, ReplyQueue&) {};
    }

    // What the host wrote since the last call, as "<STX>I<ETX>" text.
    std::string Written() {
        const auto& all = device.written();
        const std::string text = ProtocolTrace::EncodeBytes(all.data() + mark_, all.size() - mark_);
        mark_ = all.size();
        return text;
    }

    static std::string Frame(const std::string& body) { return "<STX>" + body + "<ETX>"; }

private:
    size_t mark_ = 0;
};

}  // namespace nembra::testing
