#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "station/CsmKeyFile.h"
#include "station/FileDigest.h"
#include "station/JobFile.h"
#include "tests/support/CoffBuilder.h"

namespace nembra::station {
namespace {

using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::UnorderedElementsAre;

// SHA-256 of the three bytes "abc", from FIPS 180-2.
constexpr const char* kAbcSha256 = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";

class JobFileTest : public ::testing::Test {
protected:
    JobFileTest() {
        program = dir.Write("app.out", {'a', 'b', 'c'});
        job = dir.path() + "/line2.toml";
    }

    std::string WriteText(const std::string& name, const std::string& text, mode_t mode = 0600) const {
        const std::string path = dir.path() + "/" + name;
        std::ofstream(path) << text;
        chmod(path.c_str(), mode);
        return path;
    }

    static std::string Good() {
        return "name = \"TB3CM line 2\"\n"
               "device = \"f2812\"\n"
               "command = \"write\"\n"
               "program = \"app.out\"\n"
               "program_sha256 = \"" +
               std::string(kAbcSha256) +
               "\"\n"
               "erase = \"intelligent\"\n"
               "pods = [\"FT01\", \"FT02\"]\n"
               "[serial]\n"
               "address = 0x3F7F00\n"
               "words = 2\n"
               "encoding = \"binary-low-first\"\n"
               "first = 1000\n"
               "step = 1\n"
               "last = 9999\n"
               "[records]\n"
               "store = \"line2.sqlite\"\n";
    }

    testing::TempDir dir;
    std::string program;
    std::string job;
};

TEST_F(JobFileTest, AGoodJobReadsIntoItsValue) {
    const JobRead read = ParseJobText(Good(), job);
    ASSERT_THAT(read.problems, IsEmpty());
    EXPECT_EQ(read.job.name, "TB3CM line 2");
    EXPECT_EQ(read.job.device, 4);
    EXPECT_EQ(read.job.command, JobFileCommand::Write);
    EXPECT_EQ(read.job.erase, JobErase::Intelligent);
    EXPECT_THAT(read.job.pods, ElementsAre("FT01", "FT02"));
    ASSERT_TRUE(read.job.serial);
    EXPECT_EQ(read.job.serial->address, 0x3F7F00u);
    EXPECT_EQ(read.job.serial->words, 2u);
    EXPECT_EQ(read.job.serial->last, 9999u);
    EXPECT_EQ(read.job.store, "line2.sqlite");
    EXPECT_EQ(JobPath(job, read.job.program), program);
    EXPECT_THAT(CheckJob(read.job, job), IsEmpty());
}

TEST_F(JobFileTest, EveryProblemOfTheTextIsReportedAtOnce) {
    const std::string text =
        "name = \"x\"\n"
        "device = \"f2813\"\n"
        "command = \"burn\"\n"
        "program_sha256 = \"abc\"\n"
        "erase = 3\n"
        "colour = \"red\"\n"
        "pods = []\n"
        "[serial]\n"
        "address = 0x3F7F00\n"
        "words = 2\n"
        "encoding = \"ebcdic\"\n"
        "first = 1\n"
        "last = 9\n"
        "size = 2\n";
    const JobRead read = ParseJobText(text, job);
    EXPECT_THAT(read.problems,
                UnorderedElementsAre(HasSubstr("unknown key \"colour\" (line 6)"),
                                     AllOf(HasSubstr("\"device\" (line 2)"), HasSubstr("\"f2813\" is not a device"),
                                           HasSubstr("f2810, f2811, f2812")),
                                     HasSubstr("\"burn\" is not a job's command; use write or pod-write"),
                                     HasSubstr("missing key \"program\""),
                                     HasSubstr("\"program_sha256\" (line 4) must be 64 hexadecimal digits"),
                                     HasSubstr("\"erase\" (line 5) must be a string, not an integer"),
                                     HasSubstr("\"pods\" (line 7) lists no pod"),
                                     HasSubstr("unknown key \"serial.size\" (line 14)"),
                                     HasSubstr("\"ebcdic\" is not an encoding")));
}

TEST_F(JobFileTest, ASyntaxErrorNamesItsLine) {
    const JobRead read = ParseJobText("name = \"x\nother = 1\n", job);
    ASSERT_EQ(read.problems.size(), 1u);
    EXPECT_THAT(read.problems[0], HasSubstr("line 1"));
}

TEST_F(JobFileTest, RulesBetweenKeysAreChecked) {
    const std::string podWrite =
        "name = \"x\"\ndevice = \"f2812\"\ncommand = \"pod-write\"\nprogram = \"app.out\"\n"
        "program_sha256 = \"" +
        std::string(kAbcSha256) +
        "\"\npod_file_name = \"TOOLONGNAME\"\n"
        "[serial]\naddress = 0x3F7F00\nwords = 1\nencoding = \"bcd\"\nfirst = 1\nlast = 2\n";
    EXPECT_THAT(ParseJobText(podWrite, job).problems,
                UnorderedElementsAre(HasSubstr("a pod-write job cannot give serial numbers"),
                                     HasSubstr("longer than the pod's 8 characters")));
    const std::string lf240x =
        "name = \"x\"\ndevice = \"lf240xa-40\"\ncommand = \"write\"\nprogram = \"app.out\"\n"
        "program_sha256 = \"" +
        std::string(kAbcSha256) + "\"\ncsm_keys_file = \"k\"\nverify = true\n";
    EXPECT_THAT(ParseJobText(lf240x, job).problems,
                UnorderedElementsAre(HasSubstr("the LF240xA has no code security module"),
                                     HasSubstr("\"verify\" belongs to a pod-write job")));
}

TEST_F(JobFileTest, ASerialRangeThatDoesNotFitIsRefused) {
    std::string text = Good();
    text.replace(text.find("last = 9999"), 11, "last = 99999");
    text.replace(text.find("\"binary-low-first\""), 18, "\"bcd\"");
    text.replace(text.find("words = 2"), 9, "words = 1");
    EXPECT_THAT(ParseJobText(text, job).problems,
                ElementsAre(HasSubstr("serial.last (99999) does not fit 1 word(s) of bcd; the largest is 9999")));
}

TEST_F(JobFileTest, AProgramWithAnotherHashIsRefusedNamingBothHashes) {
    std::ofstream(program) << "abd";
    JobRead read = ParseJobText(Good(), job);
    ASSERT_THAT(read.problems, IsEmpty());
    const std::string actual = FileSha256(program);
    EXPECT_THAT(CheckJob(read.job, job), ElementsAre(AllOf(HasSubstr(program), HasSubstr("has SHA-256 " + actual),
                                                           HasSubstr("the job expects " + std::string(kAbcSha256)))));
    std::filesystem::remove(program);
    EXPECT_THAT(CheckJob(read.job, job), ElementsAre(HasSubstr("cannot read the program file " + program)));
}

TEST_F(JobFileTest, TheKeyFileMustBePrivateAndItsKeysNeverShow) {
    const std::string secret = "1A2B";
    const std::string keys =
        WriteText("line2.keys", "# line 2\n" + secret + ", FFFF, 3C4D\nFFFF FFFF\nFFFF,FFFF,9\n", 0644);
    std::string text = Good();
    text.insert(0, "csm_keys_file = \"line2.keys\"\n");
    const JobRead read = ParseJobText(text, job);
    ASSERT_THAT(read.problems, IsEmpty());
    const std::vector<std::string> problems = CheckJob(read.job, job);
    EXPECT_THAT(problems, ElementsAre(AllOf(HasSubstr("open to other users"), HasSubstr("chmod 600 " + keys))));
    chmod(keys.c_str(), 0600);
    EXPECT_THAT(CheckJob(read.job, job), IsEmpty());

    CsmKeys read8;
    std::string error;
    ASSERT_TRUE(ReadCsmKeyFile(keys, read8, error)) << error;
    EXPECT_EQ(read8[0], secret);
    EXPECT_EQ(read8[7], "9");

    WriteText("line2.keys", secret + ",FFFF,G123,FFFF,FFFF,FFFF,FFFF,FFFF\n");
    EXPECT_THAT(CheckJob(read.job, job),
                ElementsAre(AllOf(HasSubstr("KEY2"), Not(HasSubstr("G123")), Not(HasSubstr(secret)))));
    WriteText("line2.keys", secret + "\n");
    EXPECT_THAT(CheckJob(read.job, job),
                ElementsAre(AllOf(HasSubstr("holds 1 keys; it needs exactly eight"), Not(HasSubstr(secret)))));
}

TEST_F(JobFileTest, AKeyFileOfAnotherUserIsRefused) {
    if (geteuid() != 0) GTEST_SKIP() << "only root can give a file to another user";
    const std::string keys = WriteText("line2.keys", "FFFF FFFF FFFF FFFF FFFF FFFF FFFF FFFF\n");
    ASSERT_EQ(chown(keys.c_str(), 65534, 65534), 0);
    std::string text = Good();
    text.insert(0, "csm_keys_file = \"line2.keys\"\n");
    EXPECT_THAT(CheckJob(ParseJobText(text, job).job, job), ElementsAre(HasSubstr("belongs to another user")));
}

TEST_F(JobFileTest, AWrittenJobReadsBackTheSame) {
    Job original = ParseJobText(Good(), job).job;
    original.csmKeysFile = "keys \"q\".txt";
    original.serial->encoding = SerialEncoding::Ascii;
    const std::string text = JobToToml(original);
    const JobRead again = ParseJobText(text, job);
    ASSERT_THAT(again.problems, IsEmpty()) << text;
    EXPECT_EQ(again.job.name, original.name);
    EXPECT_EQ(again.job.device, original.device);
    EXPECT_EQ(again.job.programSha256, original.programSha256);
    EXPECT_EQ(again.job.csmKeysFile, original.csmKeysFile);
    EXPECT_EQ(again.job.pods, original.pods);
    EXPECT_EQ(again.job.serial->address, original.serial->address);
    EXPECT_EQ(again.job.serial->encoding, SerialEncoding::Ascii);
    EXPECT_EQ(again.job.store, original.store);
    EXPECT_THAT(text, HasSubstr("address = 0x3F7F00"));

    Job podWrite = original;
    podWrite.command = JobFileCommand::PodWrite;
    podWrite.serial.reset();
    podWrite.podFileName = "TB3CM";
    podWrite.verify = true;
    podWrite.pods.clear();
    const JobRead pod = ParseJobText(JobToToml(podWrite), job);
    ASSERT_THAT(pod.problems, IsEmpty());
    EXPECT_EQ(pod.job.podFileName, "TB3CM");
    EXPECT_TRUE(pod.job.verify);
    EXPECT_THAT(pod.job.pods, IsEmpty());
}

TEST(FileDigestTest, KnownDigests) {
    testing::TempDir dir;
    EXPECT_EQ(FileSha256(dir.Write("abc", {'a', 'b', 'c'})), kAbcSha256);
    EXPECT_EQ(FileSha256(dir.Write("empty", {})), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(FileSha256(dir.path() + "/missing"), "");
    EXPECT_TRUE(IsSha256Text(kAbcSha256));
    EXPECT_FALSE(IsSha256Text(std::string(kAbcSha256) + "0"));
}

}  // namespace
}  // namespace nembra::station
