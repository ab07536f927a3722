#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "pod/PodLink.h"
#include "sim/SimDevice.h"
#include "sim/SimDriverLoader.h"
#include "sim/VirtualClock.h"

namespace nembra::testing {

// A peer that answers each host write through a test-supplied function; by
// default it acknowledges the identify frame after 1 ms.
class ScriptedPeer : public SimPeer {
public:
    using Script = std::function<void(const std::vector<uint8_t>&, uint32_t, ReplyQueue&)>;

    void OnHostWrite(const uint8_t* bytes, size_t count, uint32_t nowMs, ReplyQueue& replies) override {
        const std::vector<uint8_t> frame(bytes, bytes + count);
        frames.push_back(frame);
        if (script) {
            script(frame, nowMs, replies);
        } else if (frame == std::vector<uint8_t>{0x02, 'I', 0x03}) {
            replies.Push('!', nowMs + 1);
        }
    }
    void OnOpen(uint32_t) override { ++opens; }
    void OnClose() override { ++closes; }

    Script script;
    std::vector<std::vector<uint8_t>> frames;
    int opens = 0;
    int closes = 0;
};

// Records what the link reports.
class RecordingObserver : public LinkObserver {
public:
    void OnWrite(const uint8_t* b, size_t n) override { lines.push_back("W" + std::string(b, b + n)); }
    void OnRead(const uint8_t* b, size_t n) override { lines.push_back("R" + std::string(b, b + n)); }
    void OnEvent(const std::string& text) override { lines.push_back("#" + text); }
    std::vector<std::string> lines;
};

class LinkTest : public ::testing::Test {
protected:
    explicit LinkTest(uint32_t startMs = 1000) : clock(startMs) {}

    // Loads, finds and opens; the pod sits at index 0.
    void Connect() {
        ASSERT_TRUE(link.LoadDriverLibrary());
        ASSERT_TRUE(link.FindPod());
        ASSERT_EQ(link.OpenPod(), OpenResult::Opened);
        peer.frames.clear();
    }

    // The peer outlives the link, whose destructor may still close the device.
    VirtualClock clock;
    ScriptedPeer peer;
    SimDevice device{clock};
    SimDriverLoader loader{device};
    PodLink link{loader, clock};
};

}  // namespace nembra::testing
