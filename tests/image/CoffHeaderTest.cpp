// File header, layout, optional header and string table checks.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/image/ImageTestSupport.h"

namespace nembra::testing {
namespace {

std::vector<uint8_t> Header22(uint16_t version, uint16_t targetId) {
    std::vector<uint8_t> bytes(22, 0);
    bytes[0] = static_cast<uint8_t>(version);
    bytes[1] = static_cast<uint8_t>(version >> 8);
    bytes[20] = static_cast<uint8_t>(targetId);
    bytes[21] = static_cast<uint8_t>(targetId >> 8);
    return bytes;
}

TEST(CoffHeader, MissingFileIsOpenFailed) {
    CoffFixture f;
    EXPECT_EQ(ReadCoffFile(f.dir.path() + "/absent.out", 4, f.image), CoffResult::OpenFailed);
    EXPECT_EQ(ReadCoffFile(f.dir.path(), 4, f.image), CoffResult::OpenFailed);
}

TEST(CoffHeader, FifoIsRefusedWithoutBlocking) {
    CoffFixture f;
    const std::string fifo = f.dir.path() + "/pipe.out";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(ReadCoffFile(fifo, 4, f.image), CoffResult::OpenFailed);
}

TEST(CoffHeader, ShortFilesAreNotCoff) {
    CoffFixture f;
    auto bytes = Header22(0x00C2, 0x009D);
    bytes.pop_back();
    EXPECT_EQ(f.ReadBytes(bytes), CoffResult::NotCoff);
    EXPECT_EQ(f.ReadBytes({}), CoffResult::NotCoff);
}

TEST(CoffHeader, TwentyTwoByteHeaderGoesOnToTheStringTableChecks) {
    CoffFixture f;
    // Offsets 0/0 make the version id and section count the table length:
    // 0x000000C2 bytes, longer than the file.
    EXPECT_EQ(f.ReadBytes(Header22(0x00C2, 0x009D)), CoffResult::NotCoff);
    auto padded = Header22(0x00C2, 0x009D);
    padded.resize(0xC2, 0);
    EXPECT_EQ(f.ReadBytes(padded), CoffResult::Ok);
    EXPECT_EQ(f.image.sectionCount(), 0);
}

TEST(CoffHeader, UnknownFirstHalfWordIsNotCoff) {
    CoffFixture f;
    EXPECT_EQ(f.Read(FileWith({}, CoffFormat::Coff2, 0x009D), 4), CoffResult::Ok);
    for (uint16_t version : {0x00C0, 0x0093, 0x0000, 0xC200}) {
        auto coff = FileWith({});
        coff.versionId = version;
        EXPECT_EQ(f.Read(coff), CoffResult::NotCoff) << std::hex << version;
    }
}

TEST(CoffHeader, TargetIdMustFitTheFamily) {
    CoffFixture f;
    for (CoffFormat format : {CoffFormat::Coff0, CoffFormat::Coff1, CoffFormat::Coff2}) {
        for (DeviceType type = 0; type <= 4; ++type) {
            const bool f281x = type >= 2;
            EXPECT_EQ(f.Read(FileWith({}, format, 0x009D), type), f281x ? CoffResult::Ok : CoffResult::DeviceMismatch);
            EXPECT_EQ(f.Read(FileWith({}, format, 0x0092), type), f281x ? CoffResult::DeviceMismatch : CoffResult::Ok);
        }
    }
}

TEST(CoffHeader, UnknownTargetIdIsMismatchNotNotCoff) {
    CoffFixture f;
    EXPECT_EQ(f.Read(FileWith({}, CoffFormat::Coff2, 0x0093), 4), CoffResult::DeviceMismatch);
    EXPECT_EQ(f.Read(FileWith({}, CoffFormat::Coff1, 0x0000), 0), CoffResult::DeviceMismatch);
}

TEST(CoffHeader, HeaderFailuresLeaveTheImageAlone) {
    CoffFixture f;
    ASSERT_EQ(f.Read(FileWith({Section("text", 0x8000, Pattern(4))})), CoffResult::Ok);
    EXPECT_EQ(f.Read(FileWith({}, CoffFormat::Coff2, 0x0092), 4), CoffResult::DeviceMismatch);
    ASSERT_EQ(f.image.sectionCount(), 1);
    EXPECT_EQ(f.image.DataWord(f.image.sections[0], 0), 0x1000);
}

TEST(CoffHeader, OptionalHeaderIsAlwaysTwentyEightBytes) {
    for (CoffFormat format : {CoffFormat::Coff0, CoffFormat::Coff1, CoffFormat::Coff2}) {
        for (uint16_t size : {uint16_t{28}, uint16_t{0x20}, uint16_t{1}}) {
            CoffFixture f;
            auto coff = FileWith({Section("text", 0x8000, Pattern(3))}, format);
            coff.optionalHeaderSize = size;
            ASSERT_EQ(f.Read(coff), CoffResult::Ok);
            ASSERT_EQ(f.Names(), std::vector<std::string>{"text"});
            EXPECT_EQ(f.Words(f.image.sections[0]), Pattern(3));
        }
    }
}

TEST(CoffHeader, OptionalHeaderCutOffIsNotCoff) {
    CoffFixture f;
    auto bytes = Header22(0x00C2, 0x009D);
    bytes[16] = 28;
    bytes.resize(22 + 27, 0);
    EXPECT_EQ(f.ReadBytes(bytes), CoffResult::NotCoff);
}

TEST(CoffHeader, StringTableBeyondTheFileIsNotCoff) {
    CoffFixture f;
    auto coff = FileWith({Section("text", 0x8000, Pattern(3))});
    coff.withStringTable = false;
    EXPECT_EQ(f.Read(coff), CoffResult::NotCoff);
    coff.withStringTable = true;
    coff.stringTableLength = 5;  // one byte more than the file holds
    EXPECT_EQ(f.Read(coff), CoffResult::NotCoff);
    coff.stringTableLength = 4;
    EXPECT_EQ(f.Read(coff), CoffResult::Ok);
}

TEST(CoffHeader, StringTableFollowsTheSymbolEntries) {
    CoffFixture f;
    auto coff = FileWith({Section(".long_section_name", 0x8000, Pattern(2))});
    coff.symbolCount = 7;
    ASSERT_EQ(f.Read(coff), CoffResult::Ok);
    EXPECT_EQ(f.Names(), std::vector<std::string>{".long_section_name"});
}

TEST(CoffHeader, StringTableAtTwoGibibytesIsFileError) {
    CoffFixture f;
    auto coff = FileWith({});
    coff.symbolTableOffset = 0x80000000u;
    EXPECT_EQ(f.Read(coff), CoffResult::FileError);
    // The offset is computed in 32 bits: this wraps round to a small one.
    coff.symbolTableOffset = 0xFFFFFFEEu;  // + 18 = 0
    coff.symbolCount = 1;
    EXPECT_EQ(f.Read(coff), CoffResult::NotCoff);
    coff.symbolTableOffset = 0x7FFFFFF0u;
    EXPECT_EQ(f.Read(coff), CoffResult::FileError);
}

TEST(CoffHeader, ZeroSectionsGiveAnEmptyImage) {
    CoffFixture f;
    ASSERT_EQ(f.Read(FileWith({Section("text", 0x8000, Pattern(3))})), CoffResult::Ok);
    ASSERT_EQ(f.Read(FileWith({})), CoffResult::Ok);
    EXPECT_EQ(f.image.sectionCount(), 0);
    EXPECT_EQ(f.image.totalBytes, 0u);
    EXPECT_EQ(f.image.store()[0], 0xFF);
}

TEST(CoffResultMessages, EveryResultHasItsText) {
    EXPECT_STREQ(CoffResultMessage(CoffResult::Ok), "Reading COFF file is successful");
    EXPECT_STREQ(CoffResultMessage(CoffResult::OpenFailed), "Fail to open specified file");
    EXPECT_STREQ(CoffResultMessage(CoffResult::NotCoff), "The specified file is not COFF format");
    EXPECT_STREQ(CoffResultMessage(CoffResult::DeviceMismatch), "The specified file is not match with MCU");
    EXPECT_STREQ(CoffResultMessage(CoffResult::FileError), "File exception error happens");
    EXPECT_STREQ(CoffResultMessage(CoffResult::MemoryError), "Memory exception error happens");
    EXPECT_STREQ(CoffResultMessage(CoffResult::TooLarge), "The specified file is too large for image memory");
}

}  // namespace
}  // namespace nembra::testing
