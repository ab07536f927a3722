#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "pod/ProtocolTrace.h"
#include "tests/pod/LinkFixture.h"

namespace nembra::testing {
namespace {

std::string Encode(const std::vector<uint8_t>& bytes) { return ProtocolTrace::EncodeBytes(bytes.data(), bytes.size()); }

TEST(TraceEncodingTest, FramingPrintableAndEscapedBytes) {
    EXPECT_EQ(Encode({0x02, 'I', 0x03}), "<STX>I<ETX>");
    EXPECT_EQ(Encode({'!', '~', 'A', '0'}), "!~A0");
    EXPECT_EQ(Encode({'<', '\\', ' ', 0x00, 0x7F, 0x80, 0xFF, 0x0A, 0x01, 0x04}),
              "\\x3C\\x5C\\x20\\x00\\x7F\\x80\\xFF\\x0A\\x01\\x04");
    EXPECT_EQ(Encode({}), "");
}

TEST(TraceEncodingTest, EveryByteRoundTripsUnambiguously) {
    // Decoding the text gives back the bytes: no two encodings collide.
    std::vector<uint8_t> all;
    for (int b = 0; b < 256; ++b) {
        all.push_back(static_cast<uint8_t>(b));
    }
    const std::string text = Encode(all);
    std::vector<uint8_t> back;
    for (size_t i = 0; i < text.size();) {
        if (text.compare(i, 5, "<STX>") == 0 || text.compare(i, 5, "<ETX>") == 0) {
            back.push_back(text[i + 1] == 'S' ? 0x02 : 0x03);
            i += 5;
        } else if (text[i] == '\\') {
            back.push_back(static_cast<uint8_t>(std::stoi(text.substr(i + 2, 2), nullptr, 16)));
            i += 4;
        } else {
            back.push_back(static_cast<uint8_t>(text[i++]));
        }
    }
    EXPECT_EQ(back, all);
}

TEST(TraceLinesTest, OneLinePerEvent) {
    std::ostringstream out;
    ProtocolTrace trace(out);
    const uint8_t frame[] = {0x02, 'I', 0x03};
    trace.OnWrite(frame, 3);
    trace.OnRead(reinterpret_cast<const uint8_t*>("!"), 1);
    trace.OnRead(nullptr, 0);
    trace.OnEvent("close\nnow");
    EXPECT_EQ(out.str(), "> <STX>I<ETX>\n< !\n< \n# close now\n");
}

TEST_F(LinkTest, TraceOfAConnectAndClose) {
    std::ostringstream out;
    ProtocolTrace trace(out);
    link.SetObserver(&trace);
    device.AddDevice("KVL47Q POD", &peer);
    Connect();
    ASSERT_TRUE(link.ClosePod());
    EXPECT_EQ(out.str(), "# driver simulated\n# open \"KVL47Q POD\"\n# purge\n> <STX>I<ETX>\n< !\n# purge\n# close\n");
}

}  // namespace
}  // namespace nembra::testing
