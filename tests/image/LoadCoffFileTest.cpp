// The Load command: its messages, the pod file name and what it leaves behind.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "image/LoadCoffFile.h"
#include "tests/image/ImageTestSupport.h"
#include "tests/support/RecordingStatus.h"

namespace nembra::testing {
namespace {

struct LoadFixture {
    CoffFixture coff;
    DeviceType deviceType = 0;
    RecentFiles recent;
    RecordingStatus status;
    LoadContext ctx{coff.image, deviceType, 4, recent, status};

    std::string Write(const std::string& name, const CoffFilePlan& file) {
        return coff.dir.Write(name, BuildCoff(file));
    }
    std::string GoodFile(const std::string& name = "Prog.out") {
        return Write(name, FileWith({Section("text", 0x8000, Pattern(4)), Section("f", 0x3F6000, Pattern(4))}));
    }
};

TEST(PodFileName, OutExtensionAndLength) {
    EXPECT_EQ(PodFileNameFrom("Prog.out"), "Prog");
    EXPECT_EQ(PodFileNameFrom("firmware1.OUT"), "firmware");
    EXPECT_EQ(PodFileNameFrom("a.Out"), "a");
    EXPECT_EQ(PodFileNameFrom("test.coff"), "test.cof");
    EXPECT_EQ(PodFileNameFrom(".out"), ".out");
    EXPECT_EQ(PodFileNameFrom("x.OUT.out"), "x.OUT");
    EXPECT_EQ(PodFileNameFrom("12345678"), "12345678");
    EXPECT_EQ(PodFileNameFrom(""), "");
}

TEST(TrimTest, BothEnds) {
    EXPECT_EQ(Trim("  a b \t\r\n"), "a b");
    EXPECT_EQ(Trim(" \t "), "");
    EXPECT_EQ(Trim("x"), "x");
}

TEST(FileEntry, RegularFilesOnly) {
    LoadFixture f;
    std::string name;
    EXPECT_TRUE(FindFileEntry(f.GoodFile("Some Prog.out"), name));
    EXPECT_EQ(name, "Some Prog.out");
    EXPECT_FALSE(FindFileEntry(f.coff.dir.path(), name));
    EXPECT_FALSE(FindFileEntry(f.coff.dir.path() + "/*.out", name));
    EXPECT_FALSE(FindFileEntry("", name));
}

TEST(LoadCommand, EmptyPathTouchesNothing) {
    LoadFixture f;
    ASSERT_TRUE(LoadCoffFile(f.ctx, f.GoodFile(), false));
    RunLoadCommand(f.ctx, "  \t ");
    EXPECT_EQ(f.status.lastText(), "Please, specify COFF file to read");
    EXPECT_TRUE(f.status.lastIsError());
    EXPECT_TRUE(f.coff.image.imageLoaded);
    EXPECT_EQ(f.coff.image.sectionCount(), 2);
}

TEST(LoadCommand, SuccessLoadsRemembersAndSummarises) {
    LoadFixture f;
    const std::string path = f.GoodFile();
    RunLoadCommand(f.ctx, "  " + path + "\n");
    EXPECT_EQ(f.status.lastText(), "Reading COFF file is successful");
    EXPECT_FALSE(f.status.lastIsError());
    EXPECT_EQ(f.deviceType, 4);
    EXPECT_TRUE(f.coff.image.imageLoaded);
    EXPECT_EQ(f.coff.image.podFileName, "Prog");
    EXPECT_EQ(f.coff.image.flashSummary.flashSectorMask, 0x0001);
    EXPECT_EQ(f.coff.image.flashSummary.flashSectionCount, 1);
    EXPECT_EQ(f.recent.paths(), std::vector<std::string>{path});
}

TEST(LoadCommand, RememberFlagDecidesTheRecentList) {
    LoadFixture f;
    ASSERT_TRUE(LoadCoffFile(f.ctx, f.GoodFile(), false));
    EXPECT_TRUE(f.recent.paths().empty());
}

TEST(LoadCommand, MissingFileKeepsThePreviousImage) {
    LoadFixture f;
    ASSERT_TRUE(LoadCoffFile(f.ctx, f.GoodFile(), true));
    f.ctx.selectedDevice = 0;
    EXPECT_FALSE(LoadCoffFile(f.ctx, f.coff.dir.path() + "/gone.out", true));
    EXPECT_EQ(f.status.lastText(), "The specified COFF file isn't exist");
    EXPECT_TRUE(f.status.lastIsError());
    EXPECT_TRUE(f.coff.image.imageLoaded);
    EXPECT_EQ(f.coff.image.sectionCount(), 2);
    EXPECT_EQ(f.coff.image.podFileName, "Prog");
    EXPECT_EQ(f.deviceType, 4);  // the device type is only taken once a file is found
    EXPECT_EQ(f.recent.paths().size(), 1u);
}

TEST(LoadCommand, FailedReadClearsTheImageButKeepsTheNewName) {
    LoadFixture f;
    ASSERT_TRUE(LoadCoffFile(f.ctx, f.GoodFile(), true));
    const std::string lfFile =
        f.Write("OtherFamily.OUT", FileWith({Section("t", 0x8000, Pattern(2))}, CoffFormat::Coff2, 0x0092));
    EXPECT_FALSE(LoadCoffFile(f.ctx, lfFile, true));
    EXPECT_EQ(f.status.lastText(), "The specified file is not match with MCU");
    EXPECT_TRUE(f.status.lastIsError());
    EXPECT_FALSE(f.coff.image.imageLoaded);
    EXPECT_EQ(f.coff.image.sectionCount(), 0);
    EXPECT_EQ(f.coff.image.totalBytes, 0u);
    EXPECT_EQ(f.coff.image.flashSummary.flashSectionCount, 0);
    EXPECT_EQ(f.coff.image.podFileName, "OtherFam");
    EXPECT_EQ(f.recent.paths().size(), 1u);

    // The same file loads once the matching device is selected.
    f.ctx.selectedDevice = 1;
    EXPECT_TRUE(LoadCoffFile(f.ctx, lfFile, true));
    EXPECT_EQ(f.deviceType, 1);
    EXPECT_EQ(f.recent.paths().front(), lfFile);
}

TEST(LoadCommand, EveryReadFailureShowsItsMessage) {
    LoadFixture f;
    const std::string notCoff = f.coff.dir.Write("text.out", {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd',
                                                              ' ', 'o', 'f', ' ', 't', 'e', 'x', 't', ' ', 'x', 'y'});
    EXPECT_FALSE(LoadCoffFile(f.ctx, notCoff, true));
    EXPECT_EQ(f.status.lastText(), "The specified file is not COFF format");

    auto farTable = FileWith({});
    farTable.symbolTableOffset = 0x90000000u;
    EXPECT_FALSE(LoadCoffFile(f.ctx, f.Write("far.out", farTable), true));
    EXPECT_EQ(f.status.lastText(), "File exception error happens");

    auto huge = Section("huge", 0x8000, {});
    huge.sizeWords = 0x500000;
    huge.rawDataOffset = 64;
    EXPECT_FALSE(LoadCoffFile(f.ctx, f.Write("huge.out", FileWith({huge})), true));
    EXPECT_EQ(f.status.lastText(), "The specified file is too large for image memory");
    EXPECT_TRUE(f.status.lastIsError());
    EXPECT_TRUE(f.recent.paths().empty());
}

TEST(LoadCommand, UnreadableFileIsOpenFailed) {
    LoadFixture f;
    const std::string path = f.GoodFile();
    std::filesystem::permissions(path, std::filesystem::perms::none);
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        std::fclose(file);
        GTEST_SKIP() << "running with rights that read any file";
    }
    EXPECT_FALSE(LoadCoffFile(f.ctx, path, true));
    EXPECT_EQ(f.status.lastText(), "Fail to open specified file");
    EXPECT_TRUE(f.status.lastIsError());
}

TEST(LoadCommand, InvalidSelectionLoadsForTheDefaultDevice) {
    LoadFixture f;
    f.ctx.selectedDevice = -1;
    EXPECT_TRUE(LoadCoffFile(f.ctx, f.GoodFile(), true));
    EXPECT_EQ(f.deviceType, kDefaultDeviceType);
}

}  // namespace
}  // namespace nembra::testing
