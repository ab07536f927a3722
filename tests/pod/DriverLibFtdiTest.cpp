#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "pod/D2xxDriver.h"
#include "pod/LibFtdiDriver.h"
#include "pod/PodLink.h"
#include "pod/PodListing.h"
#include "tests/pod/DriverFakeFtdi.h"
#include "tests/support/HardwareTests.h"

namespace nembra::testing {
namespace {

class LibFtdiTest : public ::testing::Test {
protected:
    LibFtdiDriver& Driver() {
        if (!driver_) {
            driver_ = std::make_unique<LibFtdiDriver>(fake.Api(), [this] { return products; });
        }
        return *driver_;
    }
    FT_HANDLE Open(const char* description = "KVL47Q POD") {
        FT_HANDLE h = nullptr;
        EXPECT_EQ(Driver().FT_OpenEx(const_cast<char*>(description), FT_OPEN_BY_DESCRIPTION, &h), FT_OK);
        return h;
    }
    std::vector<std::string> Listing() {
        DWORD count = 0;
        EXPECT_EQ(Driver().FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY), FT_OK);
        std::vector<std::string> out;
        for (DWORD i = 0; i < count; ++i) {
            char text[64];
            EXPECT_EQ(Driver().FT_ListDevices(reinterpret_cast<void*>(uintptr_t{i}), text,
                                              FT_LIST_BY_INDEX | FT_OPEN_BY_DESCRIPTION),
                      FT_OK);
            out.emplace_back(text);
        }
        return out;
    }

    VirtualClock clock{5000};
    FakeFtdi fake{clock};
    std::vector<UsbProduct> products;  // what sysfs shows

private:
    std::unique_ptr<LibFtdiDriver> driver_;
};

TEST_F(LibFtdiTest, ListsReadableDevicesThenPodsOnlySysfsCanSee) {
    fake.AddChip("FT232R USB UART");
    fake.AddChip("KVL47Q POD").readable = false;
    products = {{"FT232R USB UART", 0x6001, true, false, false, {}}, {"KVL47Q POD", 0x6001, false, false, false, {}}};
    EXPECT_EQ(Listing(), (std::vector<std::string>{"FT232R USB UART", "KVL47Q POD"}));
    EXPECT_TRUE(fake.contexts.empty());  // the enumeration context is freed

    FT_HANDLE h = nullptr;
    EXPECT_EQ(Driver().FT_OpenEx(const_cast<char*>("KVL47Q POD"), FT_OPEN_BY_DESCRIPTION, &h), FT_DEVICE_NOT_FOUND);
    EXPECT_EQ(Driver().LastOpenFailureCause(), OpenFailureCause::PermissionDenied);
}

TEST_F(LibFtdiTest, PodWithItsOwnProductIdIsFoundThroughSysfs) {
    fake.AddChip("KVL47Q POD").productId = 0xA0C8;
    EXPECT_TRUE(Listing().empty());  // libftdi's default ids do not cover it
    products = {{"KVL47Q POD", 0xA0C8, true, false, false, {}}};
    EXPECT_EQ(Listing(), (std::vector<std::string>{"KVL47Q POD"}));
    EXPECT_NE(Open(), nullptr);
}

TEST_F(LibFtdiTest, OpensTheFirstExactMatch) {
    fake.AddChip("KVL47Q POD ");
    fake.AddChip("kvl47q pod");
    fake.AddChip("KVL47Q POD").readable = false;
    FakeFtdi::Chip& first = fake.AddChip("KVL47Q POD");
    fake.AddChip("KVL47Q POD");
    ASSERT_NE(Open(), nullptr);
    ASSERT_NE(fake.OpenContext(), nullptr);
    EXPECT_EQ(fake.OpenContext()->chip, &first);
    EXPECT_EQ(Driver().LastOpenFailureCause(), OpenFailureCause::None);
}

TEST_F(LibFtdiTest, ListsAndOpensBySerialNumber) {
    fake.AddChip("KVL47Q POD").serial = "FTPOD001";
    FakeFtdi::Chip& second = fake.AddChip("KVL47Q POD");
    second.serial = "FTPOD002";
    const auto devices = ListAttachedDevices(Driver());
    ASSERT_EQ(devices.size(), 2u);
    EXPECT_EQ(devices[1].serial, "FTPOD002");
    EXPECT_EQ(devices[1].description, "KVL47Q POD");
    FT_HANDLE h = nullptr;
    ASSERT_EQ(Driver().FT_OpenEx(const_cast<char*>("FTPOD002"), FT_OPEN_BY_SERIAL_NUMBER, &h), FT_OK);
    ASSERT_NE(fake.OpenContext(), nullptr);
    EXPECT_EQ(fake.OpenContext()->chip, &second);
    FT_HANDLE none = nullptr;
    EXPECT_EQ(Driver().FT_OpenEx(const_cast<char*>("FTPOD009"), FT_OPEN_BY_SERIAL_NUMBER, &none), FT_DEVICE_NOT_FOUND);
    EXPECT_EQ(Driver().LastOpenFailureCause(), OpenFailureCause::Unplugged);
}

TEST_F(LibFtdiTest, OpenFailuresSayWhyAndLeakNothing) {
    FakeFtdi::Chip& chip = fake.AddChip("KVL47Q POD");
    FT_HANDLE h = nullptr;
    const struct {
        int rc;
        OpenFailureCause cause;
    } cases[] = {{-4, OpenFailureCause::PermissionDenied},
                 {-8, OpenFailureCause::PermissionDenied},
                 {-5, OpenFailureCause::HeldByAnotherProgram},
                 {-3, OpenFailureCause::HeldByKernelDriver},
                 {-6, OpenFailureCause::Other},
                 {-7, OpenFailureCause::Other},
                 {-9, OpenFailureCause::Other},
                 {-10, OpenFailureCause::Other},
                 {-12, OpenFailureCause::Other}};
    for (const auto& c : cases) {
        chip.openResult = c.rc;
        EXPECT_EQ(Driver().FT_OpenEx(const_cast<char*>("KVL47Q POD"), FT_OPEN_BY_DESCRIPTION, &h),
                  FT_DEVICE_NOT_OPENED);
        EXPECT_EQ(Driver().LastOpenFailureCause(), c.cause);
        EXPECT_TRUE(fake.contexts.empty());
    }
    EXPECT_EQ(Driver().FT_OpenEx(const_cast<char*>("OTHER"), FT_OPEN_BY_DESCRIPTION, &h), FT_DEVICE_NOT_FOUND);
    EXPECT_EQ(Driver().LastOpenFailureCause(), OpenFailureCause::Unplugged);
}

TEST_F(LibFtdiTest, ReadWaitsOutItsTimeoutWithoutSleeping) {
    fake.AddChip("KVL47Q POD");
    FT_HANDLE h = Open();
    ASSERT_EQ(Driver().FT_SetLatencyTimer(h, 1), FT_OK);
    ASSERT_EQ(Driver().FT_SetTimeouts(h, 200, 200), FT_OK);
    EXPECT_EQ(fake.OpenContext()->readTimeout, 200);
    uint8_t b = 0;
    DWORD got = 9;
    const uint32_t start = clock.NowMs();
    ASSERT_EQ(Driver().FT_Read(h, &b, 1, &got), FT_OK);
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(clock.NowMs() - start, 200u);
    EXPECT_EQ(fake.collects, 1);  // one wait for the whole time-out, no polling
}

TEST_F(LibFtdiTest, ReadReturnsAsSoonAsTheByteIsThere) {
    FakeFtdi::Chip& chip = fake.AddChip("KVL47Q POD");
    FT_HANDLE h = Open();
    ASSERT_EQ(Driver().FT_SetLatencyTimer(h, 1), FT_OK);
    ASSERT_EQ(Driver().FT_SetTimeouts(h, 200, 200), FT_OK);
    fake.Send(chip, "!", clock.NowMs() + 37);
    const uint32_t start = clock.NowMs();
    uint8_t b = 0;
    DWORD got = 0;
    ASSERT_EQ(Driver().FT_Read(h, &b, 1, &got), FT_OK);
    EXPECT_EQ(got, 1u);
    EXPECT_EQ(b, '!');
    EXPECT_EQ(clock.NowMs() - start, 37u);
}

TEST_F(LibFtdiTest, WaitingBytesKeepTheirOrder) {
    FakeFtdi::Chip& chip = fake.AddChip("KVL47Q POD");
    FT_HANDLE h = Open();
    ASSERT_EQ(Driver().FT_SetTimeouts(h, 200, 200), FT_OK);
    fake.Send(chip, "!ABC", clock.NowMs());
    uint8_t b = 0;
    DWORD got = 0;
    ASSERT_EQ(Driver().FT_Read(h, &b, 1, &got), FT_OK);
    DWORD waiting = 0;
    ASSERT_EQ(Driver().FT_GetQueueStatus(h, &waiting), FT_OK);
    EXPECT_EQ(waiting, 3u);
    fake.Send(chip, "D", clock.NowMs());
    uint8_t rest[4] = {};
    ASSERT_EQ(Driver().FT_Read(h, rest, 4, &got), FT_OK);
    EXPECT_EQ(got, 4u);
    EXPECT_EQ(std::string(rest, rest + 4), "ABCD");
    ASSERT_EQ(Driver().FT_GetQueueStatus(h, &waiting), FT_OK);
    EXPECT_EQ(waiting, 0u);
}

// D2XX counts what its driver has already fetched; so does the adapter,
// and a byte still on its way is not waited for.
TEST_F(LibFtdiTest, QueueStatusNeverWaits) {
    FakeFtdi::Chip& chip = fake.AddChip("KVL47Q POD");
    FT_HANDLE h = Open();
    ASSERT_EQ(Driver().FT_SetTimeouts(h, 200, 200), FT_OK);
    fake.Send(chip, "?", clock.NowMs() + 5);
    const uint32_t start = clock.NowMs();
    DWORD waiting = 9;
    ASSERT_EQ(Driver().FT_GetQueueStatus(h, &waiting), FT_OK);
    EXPECT_EQ(waiting, 0u);
    DWORD rx = 9, tx = 9, events = 9;
    ASSERT_EQ(Driver().FT_GetStatus(h, &rx, &tx, &events), FT_OK);
    EXPECT_EQ(rx, 0u);
    EXPECT_EQ(clock.NowMs(), start);
    clock.Advance(5);
    ASSERT_EQ(Driver().FT_GetQueueStatus(h, &waiting), FT_OK);
    EXPECT_EQ(waiting, 1u);
    EXPECT_EQ(fake.receiversStarted, 1);  // started once, kept for the port's life
}

// Several bytes asked for: the read returns what came within its time-out.
TEST_F(LibFtdiTest, ReadReturnsWhatCameWithinItsTimeout) {
    FakeFtdi::Chip& chip = fake.AddChip("KVL47Q POD");
    FT_HANDLE h = Open();
    ASSERT_EQ(Driver().FT_SetTimeouts(h, 200, 200), FT_OK);
    fake.Send(chip, "!1", clock.NowMs() + 20);
    fake.Send(chip, "2", clock.NowMs() + 150);
    fake.Send(chip, "3", clock.NowMs() + 250);
    const uint32_t start = clock.NowMs();
    uint8_t bytes[8] = {};
    DWORD got = 0;
    ASSERT_EQ(Driver().FT_Read(h, bytes, 8, &got), FT_OK);
    EXPECT_EQ(std::string(bytes, bytes + got), "!12");
    EXPECT_EQ(clock.NowMs() - start, 200u);
}

TEST_F(LibFtdiTest, PurgeFlushesTheRightQueues) {
    FakeFtdi::Chip& chip = fake.AddChip("KVL47Q POD");
    FT_HANDLE h = Open();
    fake.Send(chip, "xyz", clock.NowMs());
    DWORD waiting = 0;
    ASSERT_EQ(Driver().FT_GetQueueStatus(h, &waiting), FT_OK);
    ASSERT_EQ(waiting, 3u);
    ASSERT_EQ(Driver().FT_Purge(h, FT_PURGE_RX | FT_PURGE_TX), FT_OK);
    EXPECT_EQ(fake.receiversStopped, 1);  // with whatever its transfers held
    ASSERT_EQ(Driver().FT_GetQueueStatus(h, &waiting), FT_OK);
    EXPECT_EQ(waiting, 0u);
    EXPECT_EQ(fake.ioflush, 1);
    ASSERT_EQ(Driver().FT_Purge(h, FT_PURGE_TX), FT_OK);
    EXPECT_EQ(fake.receiversStopped, 1);  // the receive side is left alone
    ASSERT_EQ(Driver().FT_Purge(h, FT_PURGE_RX), FT_OK);
    EXPECT_EQ(fake.receiversStopped, 2);
    EXPECT_EQ(fake.iflush, 1);
    EXPECT_EQ(fake.oflush, 1);
    fake.Send(chip, "!", clock.NowMs());
    ASSERT_EQ(Driver().FT_GetQueueStatus(h, &waiting), FT_OK);
    EXPECT_EQ(waiting, 1u);  // what comes after the purge is fetched again
}

TEST_F(LibFtdiTest, SettingsMapToLibftdi) {
    fake.AddChip("KVL47Q POD");
    FT_HANDLE h = Open();
    FakeFtdi::Context& ctx = *fake.OpenContext();
    ASSERT_EQ(Driver().FT_SetBaudRate(h, 921600), FT_OK);
    ASSERT_EQ(Driver().FT_SetDataCharacteristics(h, FT_BITS_8, FT_STOP_BITS_1, FT_PARITY_NONE), FT_OK);
    ASSERT_EQ(Driver().FT_SetFlowControl(h, FT_FLOW_NONE, 0, 0), FT_OK);
    EXPECT_EQ(ctx.baud, 921600);
    EXPECT_EQ(ctx.lineBits, BITS_8);
    EXPECT_EQ(ctx.lineStop, STOP_BIT_1);
    EXPECT_EQ(ctx.lineParity, NONE);
    EXPECT_EQ(ctx.flow, SIO_DISABLE_FLOW_CTRL);
    EXPECT_EQ(Driver().FT_SetDataCharacteristics(h, 9, 0, 0), FT_INVALID_PARAMETER);
    EXPECT_EQ(Driver().FT_SetFlowControl(h, 0x0800, 0, 0), FT_INVALID_PARAMETER);
    UCHAR latency = 0;
    ASSERT_EQ(Driver().FT_GetLatencyTimer(h, &latency), FT_OK);
    EXPECT_EQ(latency, 16);
}

TEST_F(LibFtdiTest, FailuresAndBadHandlesAreReported) {
    fake.AddChip("KVL47Q POD");
    FT_HANDLE h = Open();
    uint8_t b[3] = {0x02, 'I', 0x03};
    DWORD n = 0;
    fake.writeResult = 2;
    EXPECT_EQ(Driver().FT_Write(h, b, 3, &n), FT_IO_ERROR);  // cut short
    EXPECT_EQ(n, 2u);
    fake.writeResult = -1;
    EXPECT_EQ(Driver().FT_Write(h, b, 3, &n), FT_IO_ERROR);
    fake.readError = -1;
    EXPECT_EQ(Driver().FT_Read(h, b, 1, &n), FT_IO_ERROR);
    DWORD waiting = 0;
    EXPECT_EQ(Driver().FT_GetQueueStatus(h, &waiting), FT_IO_ERROR);
    int dummy = 0;
    EXPECT_EQ(Driver().FT_ResetDevice(&dummy), FT_INVALID_HANDLE);
    ASSERT_EQ(Driver().FT_Close(h), FT_OK);
    EXPECT_EQ(Driver().FT_Close(h), FT_INVALID_HANDLE);
    EXPECT_TRUE(fake.contexts.empty());
}

TEST_F(LibFtdiTest, DriverReleasesPortsLeftOpen) {
    fake.AddChip("KVL47Q POD");
    Open();
    EXPECT_EQ(fake.contexts.size(), 1u);
    products.clear();
    {
        LibFtdiDriver other(fake.Api(), nullptr);
        FT_HANDLE h = nullptr;
        fake.chips[0]->openResult = 0;
        ASSERT_EQ(other.FT_OpenEx(const_cast<char*>("KVL47Q POD"), FT_OPEN_BY_DESCRIPTION, &h), FT_OK);
        EXPECT_EQ(fake.contexts.size(), 2u);
    }
    EXPECT_EQ(fake.contexts.size(), 1u);
}

// The whole link over the adapter: what a real pod behind libftdi would see.
class FakeLoader : public DriverLoader {
public:
    FakeLoader(FakeFtdi& fake, std::vector<UsbProduct>& products) : fake_(fake), products_(products) {}
    std::unique_ptr<FtdiDriver> Load() override {
        return std::make_unique<LibFtdiDriver>(fake_.Api(), [this] { return products_; });
    }

private:
    FakeFtdi& fake_;
    std::vector<UsbProduct>& products_;
};

TEST_F(LibFtdiTest, PodLinkOpensAndIdentifiesThroughTheAdapter) {
    FakeFtdi::Chip& chip = fake.AddChip("KVL47Q POD");
    chip.answerIdentify = 1;
    FakeLoader loader(fake, products);
    PodLink link(loader, clock);
    ASSERT_TRUE(link.LoadDriverLibrary());
    ASSERT_TRUE(link.FindPod());
    const uint32_t start = clock.NowMs();
    ASSERT_EQ(link.OpenPod(), OpenResult::Opened);
    EXPECT_LE(clock.NowMs() - start, 5u);  // '!' after 1 ms; latency 1 ms
    EXPECT_EQ(chip.fromHost, (std::vector<uint8_t>{0x02, 'I', 0x03}));
    EXPECT_EQ(fake.OpenContext()->latency, 1);
    EXPECT_EQ(fake.OpenContext()->baud, 921600);
    EXPECT_TRUE(link.ClosePod());
    EXPECT_TRUE(fake.contexts.empty());
}

TEST_F(LibFtdiTest, PodPresentButNotAccessibleIsFoundAndFailsWithItsCause) {
    fake.AddChip("KVL47Q POD").readable = false;
    products = {{"KVL47Q POD", 0x6001, false, false, false, {}}};
    FakeLoader loader(fake, products);
    PodLink link(loader, clock);
    ASSERT_TRUE(link.LoadDriverLibrary());
    ASSERT_TRUE(link.FindPod());
    EXPECT_EQ(link.OpenPod(), OpenResult::PortFailed);
    EXPECT_EQ(link.lastOpenFailure(), OpenFailureCause::PermissionDenied);
}

TEST(SysfsListTest, ListsFtdiDevicesWithTheirProductAndAccess) {
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / ("nembra-sysfs-" + std::to_string(::getpid()));
    fs::remove_all(root);
    auto write = [](const fs::path& file, const std::string& text) {
        fs::create_directories(file.parent_path());
        std::ofstream(file) << text;
    };
    write(root / "sys/1-2/idVendor", "0403\n");
    write(root / "sys/1-2/idProduct", "6001\n");
    write(root / "sys/1-2/product", "KVL47Q POD \n");
    write(root / "sys/1-2/busnum", "1\n");
    write(root / "sys/1-2/devnum", "7\n");
    write(root / "sys/1-1/idVendor", "0403\n");
    write(root / "sys/1-1/idProduct", "a0c8\n");
    write(root / "sys/1-1/product", "KVL47Q POD\n");
    write(root / "sys/1-1/busnum", "1\n");
    write(root / "sys/1-1/devnum", "9\n");
    write(root / "sys/1-3/idVendor", "1d6b\n");
    fs::create_directories(root / "sys/1-1:1.0");
    write(root / "dev/001/007", "");

    const auto found = ListFtdiUsbProducts((root / "sys").string(), (root / "dev").string());
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].product, "KVL47Q POD");
    EXPECT_EQ(found[0].productId, 0xA0C8);
    EXPECT_FALSE(found[0].accessible);           // no device node
    EXPECT_EQ(found[1].product, "KVL47Q POD ");  // the trailing blank is kept
    EXPECT_TRUE(found[1].accessible);
    fs::remove_all(root);
    EXPECT_TRUE(ListFtdiUsbProducts((root / "sys").string()).empty());
}

TEST(SystemDriverTest, MissingOrForeignLibrariesGiveNoDriver) {
    EXPECT_EQ(LoadD2xxDriver("libnembra-no-such-library.so"), nullptr);
    EXPECT_EQ(LoadD2xxDriver("libc.so.6"), nullptr);  // loads, but lacks the calls
}

TEST(SystemDriverTest, SystemLoaderGivesAWorkingDriverOrNone) {
    if (!HardwareTestsAllowed()) GTEST_SKIP() << kHardwareTestsSkipped;
    auto driver = MakeSystemDriverLoader()->Load();
    if (driver == nullptr) {
        GTEST_SKIP() << "neither libftd2xx nor libftdi1 is installed on this machine";
    }
    const std::string name = driver->BackendName();
    EXPECT_TRUE(name == "libftd2xx" || name == "libftdi1" || name == "libftd2xx+libftdi1") << name;
    DWORD count = 99;
    EXPECT_EQ(driver->FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY), FT_OK);
}

// The adapter reads libftdi's context with the 1.x header's layout.
TEST(LibFtdiVersion, OnlyKnownReleasesAreUsed) {
    EXPECT_EQ(LibFtdiVersionRefusal(1, 5), "");
    EXPECT_EQ(LibFtdiVersionRefusal(1, 4), "");
    EXPECT_EQ(LibFtdiVersionRefusal(2, 0),
              "libftdi1 2.0 is not supported: this program needs libftdi1 1.4 or a later 1.x");
    EXPECT_NE(LibFtdiVersionRefusal(0, 20), "");
}

}  // namespace
}  // namespace nembra::testing
