#include <cstdio>

#include "tests/ops/OpsFixture.h"

namespace nembra::testing {
namespace {

std::string Frame(const std::string& body) { return "\x02" + body + "\x03"; }

std::string Hex(uint32_t value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, value);
    return text;
}

uint16_t Swap(uint16_t word) { return static_cast<uint16_t>((word << 8) | (word >> 8)); }

// Whole exchanges of small images, byte for byte, as the frame and sequence
// rules give them.
class ByteStreamTest : public OpsFixture {
protected:
    std::string Written() const { return std::string(rig.device.written().begin(), rig.device.written().end()); }
};

TEST_F(ByteStreamTest, F2812TargetWrite) {
    UseCoff("tiny.out", Coff({Section("text", 0x3F6000, 3, 1)}, true), 4);
    auto ctx = Ctx();
    RunTargetWrite(ctx);
    ASSERT_FALSE(status.lastIsError()) << status.lastText();
    const auto words = Pattern(3, 1);
    std::string expected =
        Frame("I") + Frame("N5") + Frame("K0" + std::string(32, 'F')) + Frame("O00") + Frame("O010001");
    for (uint16_t w : words) expected += Frame("S" + Hex(Swap(w), 4));
    expected += Frame("O023F60000003") + Frame("R");
    EXPECT_EQ(Written(), expected);
}

TEST_F(ByteStreamTest, Lf240xTargetWrite) {
    UseCoff("tiny.out", Coff({Section("a", 0x0100, 2, 1), Section("b", 0x0200, 1, 2)}, false), 0);
    auto ctx = Ctx();
    RunTargetWrite(ctx);
    ASSERT_FALSE(status.lastIsError()) << status.lastText();
    const auto a = Pattern(2, 1);
    const auto b = Pattern(1, 2);
    const std::string expected = Frame("I") + Frame("M1") + Frame("U0100") + Frame("U0001") +
                                 Frame("S" + Hex(a[0], 4)) + Frame("Z" + Hex(a[1], 4)) + Frame("U0001") +
                                 Frame("U0200") + Frame("U0000") + Frame("Z" + Hex(b[0], 4)) + Frame("U0000") +
                                 Frame("R");
    EXPECT_EQ(Written(), expected);
}

TEST_F(ByteStreamTest, F2812RamDownload) {
    UseCoff("ram.out", Coff({Section("text", 0x008000, 2, 1)}, true), 4);
    auto ctx = Ctx();
    RunTargetWrite(ctx);
    ASSERT_FALSE(status.lastIsError()) << status.lastText();
    const auto w = Pattern(2, 1);
    const std::string expected = Frame("I") + Frame("N5") + Frame("U0002") + Frame("U0000") + Frame("U8000") +
                                 Frame("S" + Hex(w[0], 4)) + Frame("Y" + Hex(w[1], 4)) + Frame("X0000");
    EXPECT_EQ(Written(), expected);
}

// Two LF240xA sections: both section records go out before the data, which
// stays batched until the page is closed at the end of the stream.
TEST_F(ByteStreamTest, Lf240xPodWriteAndVerify) {
    UseCoff("tiny.out", Coff({Section("a", 0x0100, 3, 1), Section("b", 0x0200, 2, 2)}, false), 0);
    job.podFileName = "AB";
    auto ctx = Ctx();
    RunPodWrite(ctx);
    ASSERT_FALSE(status.lastIsError()) << status.lastText();
    std::string data;
    for (uint16_t w : Pattern(3, 1)) data += Frame("S" + Hex(w, 4));
    for (uint16_t w : Pattern(2, 2)) data += Frame("S" + Hex(w, 4));
    // clang-format off
    const std::string store = Frame("I") + Frame("G") + Frame("V00000100000003000000") +
                              Frame("V01000200000002000006") + data + Frame("W0000000A") +
                              Frame("T4142000000000000" "07D703020E05") + Frame("Q10000002") + Frame("H");
    // clang-format on
    EXPECT_EQ(Written(), store);

    RunPodVerify(ctx);
    ASSERT_FALSE(status.lastIsError()) << status.lastText();
    const std::string verify =
        Frame("I") + Frame("G") + Frame("h") + Frame("l00") + Frame("l01") + data + Frame("L0000000A") + Frame("H");
    EXPECT_EQ(Written(), store + verify);
}

TEST_F(ByteStreamTest, F2812PodWriteWithPassword) {
    UseCoff("tiny.out", Coff({Section("ram", 0x008000, 4, 3), Section("text", 0x3F6000, 2, 1)}, true), 4);
    job.podFileName = "";
    job.unlockCsm = true;
    job.keys = {1, 2, 3, 4, 5, 6, 7, 8};
    auto ctx = Ctx();
    RunPodWrite(ctx);
    ASSERT_FALSE(status.lastIsError()) << status.lastText();
    std::string data;
    for (uint16_t w : Pattern(2, 1)) data += Frame("S" + Hex(Swap(w), 4));
    // clang-format off
    const std::string expected = Frame("I") + Frame("G") + Frame("V003F6000000002000000") + data +
                                 Frame("W00000004") + Frame("P00010002000300040005000600070008") +
                                 Frame("T74696E7900000000" "07D703020E05") + Frame("Q5100010" "1") + Frame("H");
    // clang-format on
    EXPECT_EQ(Written(), expected);
    EXPECT_EQ(events.podFileName, "tiny");
}

}  // namespace
}  // namespace nembra::testing
