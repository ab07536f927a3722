// What the kernel's device list tells about a device that would not open,
// and the libftd2xx driver that reports it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "pod/PodLink.h"
#include "pod/SysfsOpenCause.h"
#include "pod/UsbProducts.h"
#include "sim/SimDevice.h"
#include "sim/SimDriverLoader.h"

namespace nembra::testing {
namespace {

namespace fs = std::filesystem;

// A sysfs and /dev/bus/usb of its own in a temporary folder.
class FakeSysfs {
public:
    FakeSysfs() : root_(fs::temp_directory_path() / ("nembra-sysfs-cause-" + std::to_string(::getpid()))) {
        fs::remove_all(root_);
    }
    ~FakeSysfs() { fs::remove_all(root_); }

    // An FTDI device at sysfs name `name`, device node 001/`devnum`.
    void AddDevice(const std::string& name, const std::string& product, const std::string& serial, int devnum,
                   bool nodeAccessible) {
        Write(sys() / name / "idVendor", "0403\n");
        Write(sys() / name / "idProduct", "6001\n");
        Write(sys() / name / "product", product + "\n");
        Write(sys() / name / "serial", serial + "\n");
        Write(sys() / name / "busnum", "1\n");
        Write(sys() / name / "devnum", std::to_string(devnum) + "\n");
        fs::create_directories(sys() / (name + ":1.0"));
        if (nodeAccessible) {
            char node[16];
            std::snprintf(node, sizeof node, "001/%03d", devnum);
            Write(dev() / node, "");
        }
    }
    // Binds the device's first interface to a driver, as the kernel links it.
    void Bind(const std::string& name, const std::string& driver) {
        fs::create_directories(root_ / "drivers" / driver);
        fs::create_symlink(root_ / "drivers" / driver, sys() / (name + ":1.0") / "driver");
    }
    std::vector<UsbProduct> List() const { return ListFtdiUsbProducts(sys().string(), dev().string()); }
    fs::path sys() const { return root_ / "sys"; }
    fs::path dev() const { return root_ / "dev"; }

private:
    static void Write(const fs::path& file, const std::string& text) {
        fs::create_directories(file.parent_path());
        std::ofstream(file) << text;
    }
    fs::path root_;
};

TEST(SysfsOpenCause, TheFirstInterfacesDriverIsRead) {
    FakeSysfs sysfs;
    sysfs.AddDevice("1-1", kPodDescription, "KV1", 4, true);
    sysfs.AddDevice("1-2", kPodDescription, "KV2", 5, true);
    sysfs.AddDevice("1-3", kPodDescription, "KV3", 6, true);
    sysfs.Bind("1-1", "ftdi_sio");
    sysfs.Bind("1-2", "usbfs");
    const std::vector<UsbProduct> found = sysfs.List();
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].serial, "KV1");
    EXPECT_TRUE(found[0].kernelDriverBound);
    EXPECT_FALSE(found[0].claimedByProgram);
    EXPECT_FALSE(found[1].kernelDriverBound);
    EXPECT_TRUE(found[1].claimedByProgram);
    EXPECT_FALSE(found[2].kernelDriverBound);
    EXPECT_FALSE(found[2].claimedByProgram);
}

TEST(SysfsOpenCause, EachStateHasItsCause) {
    FakeSysfs sysfs;
    sysfs.AddDevice("1-1", "USB Serial", "KV1", 4, true);
    sysfs.AddDevice("1-2", kPodDescription, "KV2", 5, true);
    sysfs.AddDevice("1-3", "Locked", "KV3", 6, false);
    sysfs.AddDevice("1-4", "Claimed", "KV4", 7, true);
    sysfs.AddDevice("1-5", "Idle", "KV5", 8, true);
    sysfs.Bind("1-2", "ftdi_sio");
    sysfs.Bind("1-3", "ftdi_sio");
    sysfs.Bind("1-4", "usbfs");
    const std::vector<UsbProduct> found = sysfs.List();
    EXPECT_EQ(CauseOfUnopened(found, kPodDescription, false), OpenFailureCause::HeldByKernelDriver);
    EXPECT_EQ(CauseOfUnopened(found, "KV2", true), OpenFailureCause::HeldByKernelDriver);
    // A node closed to this user comes first: that open fails before any driver matters.
    EXPECT_EQ(CauseOfUnopened(found, "Locked", false), OpenFailureCause::PermissionDenied);
    EXPECT_EQ(CauseOfUnopened(found, "Claimed", false), OpenFailureCause::HeldByAnotherProgram);
    EXPECT_EQ(CauseOfUnopened(found, "Idle", false), OpenFailureCause::Other);
    EXPECT_EQ(CauseOfUnopened(found, "KVL47Q POD ", false), OpenFailureCause::Unplugged);
    EXPECT_EQ(CauseOfUnopened({}, kPodDescription, false), OpenFailureCause::Other);  // no sysfs at all
}

TEST(SysfsOpenCause, AFolderThatVanishesEndsTheWalkQuietly) {
    FakeSysfs sysfs;
    EXPECT_TRUE(sysfs.List().empty());  // no such folder
    sysfs.AddDevice("1-1", kPodDescription, "KV1", 4, true);
    fs::remove_all(sysfs.sys() / "1-1:1.0");  // the interface went with an unplug
    const std::vector<UsbProduct> found = sysfs.List();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_FALSE(found[0].kernelDriverBound);
}

// libftd2xx itself only fails; the failure the link reports is the kernel's reason.
TEST(SysfsOpenCause, ALibFtd2xxOpenFailureCarriesTheKernelsReason) {
    FakeSysfs sysfs;
    sysfs.AddDevice("1-1", kPodDescription, "KV1", 4, true);
    sysfs.Bind("1-1", "ftdi_sio");
    VirtualClock clock(1000);
    SimDevice d2xx(clock);
    d2xx.AddDevice(kPodDescription, nullptr, "KV1");
    d2xx.SetOpenRefused(0, OpenFailureCause::Other);

    class Loader : public DriverLoader {
    public:
        Loader(SimDevice& device, const FakeSysfs& sysfs) : sim_(device), sysfs_(sysfs) {}
        std::unique_ptr<FtdiDriver> Load() override {
            return WithSysfsOpenCause(sim_.Load(), [this] { return sysfs_.List(); });
        }

    private:
        SimDriverLoader sim_;
        const FakeSysfs& sysfs_;
    } loader(d2xx, sysfs);
    PodLink link(loader, clock);
    ASSERT_TRUE(link.LoadDriverLibrary());
    ASSERT_TRUE(link.FindPod());
    EXPECT_EQ(link.OpenPod(), OpenResult::PortFailed);
    EXPECT_EQ(link.lastOpenFailure(), OpenFailureCause::HeldByKernelDriver);

    d2xx.SetOpenRefused(0, OpenFailureCause::None);
    EXPECT_EQ(link.OpenPod(), OpenResult::PodSilent);  // opened; no pod behind this device
    EXPECT_EQ(link.lastOpenFailure(), OpenFailureCause::None);
}

}  // namespace
}  // namespace nembra::testing
