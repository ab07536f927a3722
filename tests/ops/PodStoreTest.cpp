#include "image/LoadCoffFile.h"
#include "tests/ops/OpsFixture.h"

namespace nembra::testing {
namespace {

constexpr int kLf240x30 = 0;
constexpr int kLf240x40 = 1;
constexpr int kF2812 = 4;

class PodStoreTest : public OpsFixture {
protected:
    void Write() {
        auto ctx = Ctx();
        RunPodWrite(ctx);
    }
    void Verify() {
        auto ctx = Ctx();
        RunPodVerify(ctx);
    }
    // Loads another file (or the same one for another device) as the Load button does.
    void Load(const std::string& name, const CoffFilePlan& coff, int device) {
        UseCoff(name, coff, device);
        auto ctx = Ctx();
        RunLoad(ctx);
        ASSERT_TRUE(session.image.imageLoaded) << status.lastText();
    }
    bool LastStartsWith(const std::string& prefix) const { return status.lastText().rfind(prefix, 0) == 0; }

    void ExpectFailedWith(const char* message) {
        EXPECT_EQ(status.lastText(), message);
        EXPECT_TRUE(status.lastIsError());
        ExpectCleanedUp();
    }

    CoffFilePlan F2812Program(uint16_t seed = 1) const {
        return Coff({Section("ramfuncs", 0x008000, 40, seed), Section("text", 0x3F0000, 300, seed),
                     Section("cinit", 0x3F6000, 20, seed)},
                    true);
    }
};

TEST_F(PodStoreTest, Lf240xWriteThenVerify) {
    UseCoff("prog.out", Coff({Section("text", 0x0000, 100, 1), Section("data", 0x8000, 50, 2)}, false), kLf240x30);
    Write();
    EXPECT_TRUE(LastStartsWith("EEPROM Write Completed - ")) << status.lastText();
    ExpectCleanedUp();
    Verify();
    EXPECT_TRUE(LastStartsWith("EEPROM Verify Completed - ")) << status.lastText();
    EXPECT_FALSE(status.lastIsError());
    ExpectCleanedUp();
    ExpectNoProtocolErrors();
}

TEST_F(PodStoreTest, F2812WriteWithPasswordThenVerifyReadsIt) {
    UseCoff("prog.out", F2812Program(), kF2812);
    job.unlockCsm = true;
    job.keys = {0x1234, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
    Write();
    EXPECT_TRUE(LastStartsWith("EEPROM Write Completed - ")) << status.lastText();
    Verify();
    EXPECT_TRUE(LastStartsWith("EEPROM Verify Completed - ")) << status.lastText();
    EXPECT_NE(rig.pod.commandLog().find('g'), std::string::npos);
    ExpectNoProtocolErrors();
}

TEST_F(PodStoreTest, F2812StoreWithoutPasswordIsVerifiedWithoutReadingIt) {
    UseCoff("prog.out", F2812Program(), kF2812);
    Write();
    Verify();
    EXPECT_TRUE(LastStartsWith("EEPROM Verify Completed - ")) << status.lastText();
    EXPECT_EQ(rig.pod.commandLog().find('g'), std::string::npos);
}

TEST_F(PodStoreTest, RealTiFileWriteThenVerify) {
    const std::string path = std::string(NEMBRA_TESTDATA_DIR) + "/ti-coff/TB3CM_DSP_Code.out";
    std::string storedName;
    if (!FindFileEntry(path, storedName)) GTEST_SKIP() << "TI test data not found at " << path;
    job.filePath = path;
    job.device = kF2812;
    Write();
    EXPECT_TRUE(LastStartsWith("EEPROM Write Completed - ")) << status.lastText();
    Verify();
    EXPECT_TRUE(LastStartsWith("EEPROM Verify Completed - ")) << status.lastText();
    EXPECT_EQ(session.eepFileName, "TB3CM_DS");
}

TEST_F(PodStoreTest, VerifyAgainstAnotherStore) {
    UseCoff("prog.out", F2812Program(), kF2812);
    Write();
    ASSERT_TRUE(LastStartsWith("EEPROM Write Completed - "));

    Load("changed.out", F2812Program(2), kF2812);  // same layout, other words
    Verify();
    ExpectFailedWith("The selected COFF file data is not same in serial flash");

    Load("moved.out",
         Coff({Section("ramfuncs", 0x008000, 40, 1), Section("text", 0x3F0100, 300, 1),
               Section("cinit", 0x3F6000, 20, 1)},
              true),
         kF2812);
    Verify();
    ExpectFailedWith("The selected COFF file section is not same in serial flash");

    Load("fewer.out", Coff({Section("text", 0x3F0000, 300, 1)}, true), kF2812);
    Verify();
    ExpectFailedWith("The selected COFF file is not same in serial flash");

    Load("prog.out", F2812Program(), 3);  // the same file for the F2811
    Verify();
    ExpectFailedWith("The selected MCU type is not same in serial flash");
}

TEST_F(PodStoreTest, OneChangedWordIsFound) {
    CoffFilePlan coff = Coff({Section("text", 0x0000, 400, 1)}, false);
    UseCoff("prog.out", coff, kLf240x40);
    Write();
    ASSERT_TRUE(LastStartsWith("EEPROM Write Completed - "));
    coff.sections[0].words[333] ^= 0x0100;
    Load("prog2.out", coff, kLf240x40);
    Verify();
    ExpectFailedWith("The selected COFF file data is not same in serial flash");
    const std::string& log = rig.pod.commandLog();
    EXPECT_NE(log.back(), 'H');  // a failed verify leaves the pod as it is
    EXPECT_NE(log.back(), 'i');
}

TEST_F(PodStoreTest, VerifyOfAnEmptyPod) {
    UseCoff("prog.out", F2812Program(), kF2812);
    Verify();
    ExpectFailedWith("There is no COFF file data in serial flash");
}

struct StoreFault {
    char letter;
    const char* message;
};

class PodWriteFaultTest : public PodStoreTest, public ::testing::WithParamInterface<StoreFault> {};

TEST_P(PodWriteFaultTest, ShowsItsMessageAndAbortsTheAccess) {
    UseCoff("prog.out", F2812Program(), kF2812);
    rig.pod.ArmFault(SimFault{SimFault::Kind::NoReply, GetParam().letter, 1});
    Write();
    EXPECT_EQ(status.lastText(), GetParam().message);
    EXPECT_TRUE(status.lastIsError());
    EXPECT_EQ(rig.pod.commandLog().back(), 'i');
    ExpectCleanedUp();
}

INSTANTIATE_TEST_SUITE_P(EveryRecord, PodWriteFaultTest,
                         ::testing::Values(StoreFault{'V', "Fail to write user program in serial flash"},
                                           StoreFault{'W', "Fail to write user program in serial flash"},
                                           StoreFault{'P', "Fail to write csm password information"},
                                           StoreFault{'T', "Fail to write tag information"},
                                           StoreFault{'Q', "Fail to write COFF file information"}),
                         [](const auto& info) { return std::string(1, info.param.letter); });

TEST_F(PodStoreTest, UnwrittenBeginAndEnd) {
    UseCoff("prog.out", Coff({Section("text", 0x0000, 10, 1)}, false), kLf240x30);
    rig.device.FailCall(SimDevice::Call::Write, 1);  // "I" goes out, "G" does not
    Write();
    EXPECT_EQ(status.lastText(), "Fail to access serial flash in KVL47Q POD");
    ExpectCleanedUp();

    rig.device.ClearFailures();
    const int before = rig.device.CallCount(SimDevice::Call::Write);
    Write();
    ASSERT_TRUE(LastStartsWith("EEPROM Write Completed - "));
    const int perWrite = rig.device.CallCount(SimDevice::Call::Write) - before;
    rig.device.FailCall(SimDevice::Call::Write, perWrite - 1);  // the last write is "H"
    Write();
    EXPECT_EQ(status.lastText(), "Fail to finish access to serial flash");
    ExpectCleanedUp();
}

class PodVerifyFaultTest : public PodStoreTest, public ::testing::WithParamInterface<StoreFault> {};

TEST_P(PodVerifyFaultTest, ShowsItsMessageWithoutEndingTheAccess) {
    UseCoff("prog.out", F2812Program(), kF2812);
    job.unlockCsm = true;
    Write();
    ASSERT_TRUE(LastStartsWith("EEPROM Write Completed - "));
    rig.pod.ArmFault(SimFault{SimFault::Kind::NoReply, GetParam().letter, 1});
    Verify();
    ExpectFailedWith(GetParam().message);
    EXPECT_EQ(rig.pod.commandLog().back(), GetParam().letter);
}

INSTANTIATE_TEST_SUITE_P(EveryRead, PodVerifyFaultTest,
                         ::testing::Values(StoreFault{'h', "Fail to read COFF information"},
                                           StoreFault{'l',
                                                      "The selected COFF file section is not same in serial flash"},
                                           StoreFault{'g', "Fail to read CSM password information in serial flash"},
                                           StoreFault{'L', "The selected COFF file data is not same in serial flash"}),
                         [](const auto& info) { return std::string(1, info.param.letter) + "_reply"; });

// --- limits and checks before the pod is contacted

TEST_F(PodStoreTest, SeventySectionsPassSeventyOneDoNot) {
    std::vector<CoffSectionPlan> sections;
    for (uint32_t i = 0; i < 71; ++i) sections.push_back(Section("s" + std::to_string(i), 0x100 * i, 2, 1));
    CoffFilePlan coff = Coff(sections, false);
    Load("s71.out", coff, kLf240x30);
    Write();
    EXPECT_EQ(status.lastText(), "The supported section count is to 70");
    Verify();
    EXPECT_EQ(status.lastText(), "The supported section count is to 70");
    EXPECT_TRUE(rig.device.written().empty());

    coff.sections.pop_back();
    Load("s70.out", coff, kLf240x30);
    Write();
    EXPECT_TRUE(LastStartsWith("EEPROM Write Completed - ")) << status.lastText();
    Verify();
    EXPECT_TRUE(LastStartsWith("EEPROM Verify Completed - ")) << status.lastText();
}

TEST_F(PodStoreTest, OnlyFlashSectionsCountForF281x) {
    std::vector<CoffSectionPlan> sections;
    for (uint32_t i = 0; i < 100; ++i) {
        const bool flash = i % 10 < 7;
        sections.push_back(Section("s" + std::to_string(i), flash ? 0x3D8000 + 0x100 * i : 0x8000 + 0x10 * i, 2, 1));
    }
    Load("mixed.out", Coff(sections, true), kF2812);
    ASSERT_EQ(session.image.flashSummary.flashSectionCount, 70);
    Write();
    EXPECT_TRUE(LastStartsWith("EEPROM Write Completed - ")) << status.lastText();
}

TEST_F(PodStoreTest, DataSizeLimit) {
    // More words than the serial flash holds do not fit the LF240xA's 16-bit
    // program space: the Load refuses them before the pod is touched.
    UseCoff("big.out", Coff({Section("text", 0x0000, 0x40001, 1)}, false), kLf240x30);
    Write();
    EXPECT_EQ(status.lastText(),
              "The specified file has a section outside LF240xA memory: text (0x000000-0x040000) at 0x010000");
    Verify();
    EXPECT_EQ(status.lastText(),
              "The specified file has a section outside LF240xA memory: text (0x000000-0x040000) at 0x010000");
    EXPECT_TRUE(rig.device.written().empty());

    // The whole program space is stored and verified.
    Load("max.out", Coff({Section("text", 0x0000, 0x10000, 1)}, false), kLf240x30);
    Write();
    EXPECT_TRUE(LastStartsWith("EEPROM Write Completed - ")) << status.lastText();
    Verify();
    EXPECT_TRUE(LastStartsWith("EEPROM Verify Completed - ")) << status.lastText();
}

TEST_F(PodStoreTest, F281xRamOnlyImageHasNothingToStore) {
    Load("ram.out", Coff({Section("text", 0x008000, 20, 1)}, true), kF2812);
    Write();
    EXPECT_EQ(status.lastText(), "There is no valid section for flash region");
    Verify();
    EXPECT_EQ(status.lastText(), "There is no valid section for flash region");
    EXPECT_TRUE(rig.device.written().empty());
}

TEST_F(PodStoreTest, EmptyPathMessages) {
    Write();
    EXPECT_EQ(status.lastText(), "Please, specify COFF file to write serial flash in KVL47Q POD");
    Verify();
    EXPECT_EQ(status.lastText(), "Please, specify COFF file to verify serial flash in KVL47Q POD");
}

TEST_F(PodStoreTest, PodFileNameRules) {
    UseCoff("firmware1.OUT", Coff({Section("text", 0x0000, 10, 1)}, false), kLf240x30);
    job.podFileName = "   ";
    rig.device.SetUnplugged(podIndex, true);
    Write();
    EXPECT_EQ(status.lastText(), "Fail to open communication port");
    EXPECT_EQ(session.eepFileName, "firmware");  // kept although the connect failed
    EXPECT_EQ(events.podFileName, "firmware");

    rig.device.SetUnplugged(podIndex, false);
    job.podFileName = "  LONGNAME123 ";
    Write();
    EXPECT_TRUE(LastStartsWith("EEPROM Write Completed - ")) << status.lastText();
    EXPECT_EQ(session.eepFileName, "LONGNAME");
    EXPECT_EQ(events.podFileName, "LONGNAME");
}

TEST_F(PodStoreTest, VerifyTouchesNeitherKeysNorName) {
    UseCoff("prog.out", F2812Program(), kF2812);
    Write();
    session.csmKeyTable = {1, 2, 3, 4, 5, 6, 7, 8};
    const int namesTold = events.namesTold;
    job.podFileName = "other";
    job.unlockCsm = true;
    job.keys.fill(0);  // would be refused if it were read
    Verify();
    EXPECT_TRUE(LastStartsWith("EEPROM Verify Completed - ")) << status.lastText();
    EXPECT_EQ(session.csmKeyTable, (CsmKeyTable{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(session.eepFileName, "prog");
    EXPECT_EQ(events.namesTold, namesTold);
}

}  // namespace
}  // namespace nembra::testing
