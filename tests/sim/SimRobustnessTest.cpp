#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "sim/SimPod.h"
#include "sim/SimStoreFile.h"

namespace nembra::testing {
namespace {

struct CountingQueue : ReplyQueue {
    void Push(uint8_t byte, uint32_t) override { bytes.push_back(byte); }
    std::vector<uint8_t> bytes;
};

std::vector<uint8_t> RandomWrite(std::mt19937& random) {
    const std::string alphabet = "\x02\x03IJR?MNKOUXSYZGHiVWPTQhglL0123456789ABCDEFxyz";
    std::vector<uint8_t> bytes(random() % 40 + 1);
    for (auto& b : bytes)
        b = random() % 4 == 0 ? static_cast<uint8_t>(random())
                              : static_cast<uint8_t>(alphabet[random() % alphabet.size()]);
    return bytes;
}

// ETX first, to close whatever frame the noise left open.
bool StillIdentifies(SimPod& pod, uint32_t nowMs) {
    const uint8_t identify[] = {0x03, 0x02, 'I', 0x03};
    CountingQueue replies;
    pod.OnHostWrite(identify, sizeof identify, nowMs, replies);
    return !replies.bytes.empty() && replies.bytes.back() == '!';
}

// Whatever the host sends, the pod neither crashes nor acknowledges
// garbage: random bytes with a sprinkling of frame marks and letters. Every
// write in which the pod refused something is answered with a byte that is
// not '!', and a clean identify between the noise is still answered '!'.
TEST(SimRobustnessTest, RandomBytesAreRefusedNotFatal) {
    SimPodOptions options;
    options.timing.zeroLatency = true;
    SimPod pod(options);
    std::mt19937 random(12345);
    size_t refusingWrites = 0;
    for (int write = 0; write < 2000; ++write) {
        const std::vector<uint8_t> bytes = RandomWrite(random);
        const size_t errorsBefore = pod.protocolErrors().size();
        CountingQueue replies;
        pod.OnHostWrite(bytes.data(), bytes.size(), static_cast<uint32_t>(write), replies);
        if (pod.protocolErrors().size() > errorsBefore) {
            ++refusingWrites;
            const bool answeredNo =
                std::any_of(replies.bytes.begin(), replies.bytes.end(), [](uint8_t b) { return b != '!'; });
            EXPECT_TRUE(answeredNo) << "write " << write << ": \"" << pod.protocolErrors().back()
                                    << "\" got no refusal";
        }
        if (write % 100 == 99) {
            EXPECT_TRUE(StillIdentifies(pod, static_cast<uint32_t>(write))) << "write " << write;
        }
    }
    EXPECT_GT(refusingWrites, 1000u);
}

TEST(SimRobustnessTest, MangledStoreTextNeverParsesIntoGarbage) {
    SimStore store;
    store.hasProgram = true;
    store.deviceCode = 5;
    store.sectionCount = 1;
    store.sections.push_back({0x3F0000, 2, 0});
    store.pages.push_back({1, 2, 3, 4});
    const std::string text = FormatStore(store);
    SimStore back;
    ASSERT_TRUE(ParseStore(text, back));
    EXPECT_EQ(back, store);

    std::mt19937 random(777);
    for (int i = 0; i < 3000; ++i) {
        std::string mangled = text;
        mangled[random() % mangled.size()] = static_cast<char>(random());
        if (random() % 3 == 0) mangled.resize(random() % mangled.size());
        SimStore parsed;
        if (ParseStore(mangled, parsed)) {
            EXPECT_TRUE(parsed.hasProgram);
            EXPECT_LE(parsed.pages.size(), kSimPageCount);
        } else {
            EXPECT_EQ(parsed, SimStore{});
        }
    }
}

}  // namespace
}  // namespace nembra::testing
