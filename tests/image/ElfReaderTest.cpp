// The ELF reader on executables built in code: what it takes from a linked
// F281x program, and each kind of file it refuses, with where.
#include <gtest/gtest.h>

#include <set>

#include "image/ElfReader.h"
#include "tests/support/CoffBuilder.h"
#include "tests/support/ElfBuilder.h"

namespace nembra::testing {
namespace {

using namespace elf_field;

ElfRead Read(const std::vector<uint8_t>& bytes) { return ReadElf(bytes); }

std::vector<std::string> Names(const ElfRead& read) {
    std::vector<std::string> names;
    for (const auto& section : read.sections) names.push_back(section.name);
    return names;
}

// Refused with this fault at this offset, and nothing returned with it.
void ExpectRefused(const std::vector<uint8_t>& bytes, ElfFault fault, uint64_t offset) {
    const ElfRead read = Read(bytes);
    ASSERT_TRUE(read.error.has_value());
    EXPECT_EQ(read.error->fault, fault) << ElfErrorMessage(*read.error);
    EXPECT_EQ(read.error->offset, offset) << ElfErrorMessage(*read.error);
    EXPECT_TRUE(read.sections.empty());
}

TEST(ElfReader, F281xProgramGivesItsInitialisedSectionsAtTheirLoadAddresses) {
    const ElfRead read = Read(BuildElf(F281xElfProgram()));
    ASSERT_FALSE(read.error.has_value()) << ElfErrorMessage(*read.error);
    // Uninitialised .ebss and .stack give nothing, nor does the debug section.
    EXPECT_EQ(Names(read), (std::vector<std::string>{".text", ".econst", ".cinit", "ramfuncs", "CsmPwlFile"}));
    ASSERT_EQ(read.sections.size(), 5u);
    EXPECT_EQ(read.sections[0].loadAddress, 0x3F6000u);
    EXPECT_EQ(read.sections[0].words, Pattern(0x40, 1));
    // Addresses count words, offsets in the file count bytes.
    EXPECT_EQ(read.sections[1].loadAddress, 0x3F6040u);
    EXPECT_EQ(read.sections[1].fileOffset, read.sections[0].fileOffset + 0x80);
    EXPECT_EQ(read.sections[1].words, Pattern(0x11, 2));
    EXPECT_EQ(read.sections[2].loadAddress, 0x3F4000u);
    EXPECT_EQ(read.sections[2].words, Pattern(0x08, 3));
    EXPECT_EQ(read.sections[4].loadAddress, 0x3F7FF8u);
    EXPECT_EQ(read.sections[4].words, Pattern(8, 5));
}

TEST(ElfReader, CodeCopiedToRamIsTakenAtItsLoadAddress) {
    const ElfRead read = Read(BuildElf(F281xElfProgram()));
    ASSERT_FALSE(read.error.has_value());
    const ElfSection& ramfuncs = read.sections[3];
    EXPECT_EQ(ramfuncs.name, "ramfuncs");
    EXPECT_EQ(ramfuncs.loadAddress, 0x3F0000u);
    EXPECT_EQ(ramfuncs.runAddress, 0x008000u);
    EXPECT_EQ(ramfuncs.words, Pattern(0x20, 4));
}

TEST(ElfReader, OnlyTheSegmentsFileBytesAreProgrammed) {
    ElfFilePlan elf;
    elf.segments = {LoadSegment(0x8000, std::nullopt, 0x40)};
    elf.sections = {CodeSection(".data", 0, Pattern(4)), UninitialisedSection(".bss", 0, 0x40)};
    const ElfRead read = Read(BuildElf(elf));
    ASSERT_FALSE(read.error.has_value());
    ASSERT_EQ(read.sections.size(), 1u);
    EXPECT_EQ(read.sections[0].words, Pattern(4));
    // A NOBITS header pointing into the segment's bytes still gives nothing.
    auto bytes = BuildElf(elf);
    const uint32_t bss = ElfSectionHeaderAt(bytes, 2);
    PutLe32(bytes, bss + kShOffset, GetLe32(bytes, ElfSectionHeaderAt(bytes, 1) + kShOffset));
    PutLe32(bytes, bss + kShSize, 8);
    EXPECT_EQ(Names(Read(bytes)), std::vector<std::string>{".data"});
}

TEST(ElfReader, AllocatedSectionOutsideEverySegmentIsNotLoaded) {
    ElfFilePlan elf;
    elf.segments = {LoadSegment(0x3F6000)};
    elf.sections = {CodeSection(".text", 0, Pattern(4)), InfoSection(".copytable", Pattern(4))};
    elf.sections[1].flags = kElfAlloc;
    EXPECT_EQ(Names(Read(BuildElf(elf))), std::vector<std::string>{".text"});
}

TEST(ElfReader, SectionsThatAreNotAllocatedNeverNameLoadableBytes) {
    auto bytes = BuildElf(F281xElfProgram());
    const uint32_t debug = ElfSectionHeaderAt(bytes, 8);
    PutLe32(bytes, debug + kShOffset, GetLe32(bytes, ElfSectionHeaderAt(bytes, 2) + kShOffset));
    EXPECT_EQ(Names(Read(bytes)), Names(Read(BuildElf(F281xElfProgram()))));
}

TEST(ElfReader, SegmentBytesNoSectionNamesAreKeptUnderTheSegmentsName) {
    ElfFilePlan elf;
    elf.segments = {LoadSegment(0x3F6000), LoadSegment(0x3F4000)};
    elf.sections = {CodeSection(".text", 0, Pattern(4))};
    elf.segments[0].extraWords = Pattern(2, 7);
    elf.segments[1].extraWords = Pattern(3, 8);
    const ElfRead read = Read(BuildElf(elf));
    ASSERT_FALSE(read.error.has_value());
    EXPECT_EQ(Names(read), (std::vector<std::string>{".text", "segment 0", "segment 1"}));
    EXPECT_EQ(read.sections[1].loadAddress, 0x3F6004u);
    EXPECT_EQ(read.sections[1].words, Pattern(2, 7));
    EXPECT_EQ(read.sections[2].loadAddress, 0x3F4000u);
    EXPECT_EQ(read.sections[2].words, Pattern(3, 8));
}

TEST(ElfReader, WithoutSectionHeadersEachSegmentIsOneRun) {
    ElfFilePlan elf = F281xElfProgram();
    elf.withSectionHeaders = false;
    const ElfRead read = Read(BuildElf(elf));
    ASSERT_FALSE(read.error.has_value());
    EXPECT_EQ(Names(read), (std::vector<std::string>{"segment 0", "segment 1", "segment 2", "segment 3"}));
    EXPECT_EQ(read.sections[0].words.size(), 0x51u);
}

TEST(ElfReader, ProgramWithoutLoadableBytesGivesNoSections) {
    ElfFilePlan elf;
    elf.segments = {LoadSegment(0x8000, std::nullopt, 0x100)};
    elf.sections = {UninitialisedSection(".ebss", 0, 0x100)};
    const ElfRead read = Read(BuildElf(elf));
    EXPECT_FALSE(read.error.has_value());
    EXPECT_TRUE(read.sections.empty());
    // Segments other than PT_LOAD are never programmed.
    elf = F281xElfProgram();
    for (auto& segment : elf.segments) segment.type = 4;
    EXPECT_TRUE(Read(BuildElf(elf)).sections.empty());
}

TEST(ElfReader, ExtendedNumberingFromSectionZero) {
    auto bytes = BuildElf(F281xElfProgram());
    const uint32_t shnum = GetLe32(bytes, kShnum) & 0xFFFF;
    const uint32_t shstrndx = GetLe32(bytes, kShstrndx) & 0xFFFF;
    const uint32_t phnum = GetLe32(bytes, kPhnum) & 0xFFFF;
    PutLe16(bytes, kShnum, 0);
    PutLe16(bytes, kShstrndx, 0xFFFF);
    PutLe16(bytes, kPhnum, 0xFFFF);
    PutLe32(bytes, ElfSectionHeaderAt(bytes, 0) + kShSize, shnum);
    PutLe32(bytes, ElfSectionHeaderAt(bytes, 0) + kShLink, shstrndx);
    PutLe32(bytes, ElfSectionHeaderAt(bytes, 0) + kShInfo, phnum);
    EXPECT_EQ(Names(Read(bytes)), Names(Read(BuildElf(F281xElfProgram()))));
}

TEST(ElfReader, ManySectionHeadersAreReadInFull) {
    ElfFilePlan elf;
    elf.segments = {LoadSegment(0x100000)};
    for (uint16_t i = 0; i < 65533; ++i) elf.sections.push_back(CodeSection("s", 0, {i}));
    const ElfRead read = Read(BuildElf(elf));
    ASSERT_FALSE(read.error.has_value());
    ASSERT_EQ(read.sections.size(), 65533u);
    EXPECT_EQ(read.sections.back().loadAddress, 0x100000u + 65532);
    EXPECT_EQ(read.sections.back().words, std::vector<uint16_t>{65532});
}

TEST(ElfReaderRefuses, FilesThatAreNotElf) {
    ExpectRefused(BuildCoff(CoffFilePlan{}), ElfFault::NotElf, 0);
    ExpectRefused({}, ElfFault::NotElf, 0);
    ExpectRefused({0x7F, 'E', 'L'}, ElfFault::NotElf, 0);
}

TEST(ElfReaderRefuses, SixtyFourBitAndBigEndianFiles) {
    ElfFilePlan elf = F281xElfProgram();
    elf.elfClass = 2;
    ExpectRefused(BuildElf(elf), ElfFault::Is64Bit, 4);
    elf = F281xElfProgram();
    elf.dataEncoding = 2;
    ExpectRefused(BuildElf(elf), ElfFault::BigEndian, 5);
    elf.dataEncoding = 0;
    ExpectRefused(BuildElf(elf), ElfFault::Malformed, 5);
}

TEST(ElfReaderRefuses, ObjectsThatAreNotLinkedExecutables) {
    ElfFilePlan elf = F281xElfProgram();
    elf.type = 1;
    ExpectRefused(BuildElf(elf), ElfFault::Relocatable, 16);
    elf.type = 3;
    ExpectRefused(BuildElf(elf), ElfFault::NotExecutable, 16);
}

TEST(ElfReaderRefuses, AnotherMachine) {
    ElfFilePlan elf = F281xElfProgram();
    elf.machine = 40;
    ExpectRefused(BuildElf(elf), ElfFault::OtherMachine, 18);
}

TEST(ElfReaderRefuses, TruncatedHeaders) {
    auto bytes = BuildElf(F281xElfProgram());
    ExpectRefused(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 51), ElfFault::TruncatedHeader, 0);
    // The section header table is last: one byte short.
    auto cut = bytes;
    cut.pop_back();
    ExpectRefused(cut, ElfFault::TruncatedHeader, GetLe32(bytes, kShoff));
    auto far = bytes;
    PutLe32(far, kPhoff, static_cast<uint32_t>(bytes.size() - 16));
    ExpectRefused(far, ElfFault::TruncatedHeader, bytes.size() - 16);
}

TEST(ElfReaderRefuses, SegmentRunningPastTheEndOfTheFile) {
    auto bytes = BuildElf(F281xElfProgram());
    const uint32_t header = ElfProgramHeaderAt(bytes, 1);
    PutLe32(bytes, header + kPOffset, static_cast<uint32_t>(bytes.size() - 4));
    PutLe32(bytes, header + kPMemsz, 0x10);
    PutLe32(bytes, header + kPFilesz, 0x10);
    ExpectRefused(bytes, ElfFault::TruncatedSegment, header);
}

TEST(ElfReaderRefuses, MalformedHeaderFields) {
    const auto good = BuildElf(F281xElfProgram());
    auto bytes = good;
    PutLe16(bytes, kPhentsize, 16);
    ExpectRefused(bytes, ElfFault::Malformed, kPhentsize);
    bytes = good;
    PutLe16(bytes, kShentsize, 20);
    ExpectRefused(bytes, ElfFault::Malformed, kShentsize);
    bytes = good;
    PutLe16(bytes, kShstrndx, 200);
    ExpectRefused(bytes, ElfFault::Malformed, kShstrndx);
    bytes = good;
    const uint32_t header = ElfProgramHeaderAt(bytes, 0);
    PutLe32(bytes, header + kPMemsz, 2);
    ExpectRefused(bytes, ElfFault::Malformed, header);
    // A section that starts in a segment and runs past its end.
    bytes = good;
    const uint32_t cinit = ElfSectionHeaderAt(bytes, 3);
    PutLe32(bytes, cinit + kShSize, 0x12);
    ExpectRefused(bytes, ElfFault::Malformed, cinit);
}

TEST(ElfReaderRefuses, OddByteCounts) {
    auto bytes = BuildElf(F281xElfProgram());
    const uint32_t segment = ElfProgramHeaderAt(bytes, 0);
    PutLe32(bytes, segment + kPFilesz, GetLe32(bytes, segment + kPFilesz) - 1);
    ExpectRefused(bytes, ElfFault::OddSize, segment);
    bytes = BuildElf(F281xElfProgram());
    const uint32_t text = ElfSectionHeaderAt(bytes, 1);
    PutLe32(bytes, text + kShSize, 0x7F);
    ExpectRefused(bytes, ElfFault::OddSize, text);
    bytes = BuildElf(F281xElfProgram());
    const uint32_t econst = ElfSectionHeaderAt(bytes, 2);
    PutLe32(bytes, econst + kShOffset, GetLe32(bytes, econst + kShOffset) + 1);
    PutLe32(bytes, econst + kShSize, 0x20);
    ExpectRefused(bytes, ElfFault::OddSize, econst);
}

TEST(ElfReaderRefuses, WordsBeyondTheAddressSpace) {
    ElfFilePlan elf;
    elf.segments = {LoadSegment(0xFFFFFFF0)};
    elf.sections = {CodeSection(".text", 0, Pattern(0x10))};
    EXPECT_FALSE(Read(BuildElf(elf)).error.has_value());
    elf.sections[0].words = Pattern(0x11);
    const auto bytes = BuildElf(elf);
    ExpectRefused(bytes, ElfFault::AddressOverflow, ElfProgramHeaderAt(bytes, 0));
}

TEST(ElfReaderRefuses, BytesClaimedTwice) {
    auto bytes = BuildElf(F281xElfProgram());
    const uint32_t second = ElfProgramHeaderAt(bytes, 1);
    PutLe32(bytes, second + kPOffset, GetLe32(bytes, ElfProgramHeaderAt(bytes, 0) + kPOffset) + 2);
    ExpectRefused(bytes, ElfFault::OverlappingData, second);
    bytes = BuildElf(F281xElfProgram());
    const uint32_t econst = ElfSectionHeaderAt(bytes, 2);
    PutLe32(bytes, econst + kShOffset, GetLe32(bytes, econst + kShOffset) - 2);
    ExpectRefused(bytes, ElfFault::OverlappingData, econst);
}

TEST(ElfReaderRefuses, SegmentsLoadingTheSameWords) {
    ElfFilePlan elf;
    elf.segments = {LoadSegment(0x3F6000), LoadSegment(0x3F6003)};
    elf.sections = {CodeSection(".text", 0, Pattern(4)), CodeSection(".cinit", 1, Pattern(4))};
    const auto bytes = BuildElf(elf);
    ExpectRefused(bytes, ElfFault::OverlappingAddresses, ElfProgramHeaderAt(bytes, 1));
    elf.segments[1].loadAddress = 0x3F6004;
    EXPECT_FALSE(Read(BuildElf(elf)).error.has_value());
}

TEST(ElfReaderRefuses, BadSectionNames) {
    auto bytes = BuildElf(F281xElfProgram());
    const uint32_t text = ElfSectionHeaderAt(bytes, 1);
    PutLe32(bytes, text + kShName, 0x10000);
    ExpectRefused(bytes, ElfFault::BadSectionName, text);
    // The last name loses its NUL when the table is cut short by one byte.
    ElfFilePlan elf = F281xElfProgram();
    elf.sections.resize(5);
    bytes = BuildElf(elf);
    const uint32_t table = ElfSectionHeaderAt(bytes, 6);
    const uint32_t csm = ElfSectionHeaderAt(bytes, 5);
    PutLe32(bytes, table + kShSize, GetLe32(bytes, csm + kShName) + 10);
    ExpectRefused(bytes, ElfFault::BadSectionName, csm);
}

TEST(ElfReaderRefuses, NamesLongerThanTheLimit) {
    ElfFilePlan elf;
    elf.segments = {LoadSegment(0x3F6000)};
    elf.sections = {CodeSection(std::string(kElfMaxNameBytes, 'n'), 0, Pattern(2))};
    EXPECT_EQ(Read(BuildElf(elf)).sections.at(0).name.size(), kElfMaxNameBytes);
    elf.sections[0].name.push_back('n');
    const auto bytes = BuildElf(elf);
    ExpectRefused(bytes, ElfFault::BadSectionName, ElfSectionHeaderAt(bytes, 1));
}

TEST(ElfReaderRefuses, TheLf240xAFamily) {
    EXPECT_EQ(CheckElfFamily(0), (ElfError{ElfFault::WrongFamily, 0}));
    EXPECT_EQ(CheckElfFamily(1), (ElfError{ElfFault::WrongFamily, 0}));
    for (DeviceType type : {2, 3, 4}) EXPECT_FALSE(CheckElfFamily(type).has_value());
}

TEST(ElfReaderMessages, EachFaultHasItsOwnLineAndPlacedOnesSayWhere) {
    std::set<std::string> lines;
    for (int fault = 0; fault <= static_cast<int>(ElfFault::WrongFamily); ++fault) {
        const std::string line = ElfErrorMessage({static_cast<ElfFault>(fault), 0x1C4});
        EXPECT_EQ(line.find('\n'), std::string::npos);
        lines.insert(line.substr(0, line.find(" (byte")));
    }
    EXPECT_EQ(lines.size(), static_cast<size_t>(ElfFault::WrongFamily) + 1);
    EXPECT_EQ(ElfErrorMessage({ElfFault::TruncatedSegment, 0x1C4}),
              "The specified ELF file is truncated in its program data (byte 0x1C4)");
    EXPECT_EQ(ElfErrorMessage({ElfFault::Relocatable, 16}),
              "The specified ELF file is a relocatable object, not a linked program; load the linker's output");
}

}  // namespace
}  // namespace nembra::testing
