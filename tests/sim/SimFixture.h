#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "pod/PodCommands.h"
#include "pod/PodLink.h"
#include "sim/SimRig.h"

namespace nembra::testing {

inline SimPodOptions FastOptions(const std::string& storePath = {}) {
    SimPodOptions options;
    options.timing.zeroLatency = true;
    options.storePath = storePath;
    return options;
}

// A simulated pod on its rig with a connected link, every reply due at once
// unless a test asks for real timing.
class SimPodTest : public ::testing::Test {
protected:
    void SetUp() override { Start(FastOptions()); }

    void Start(SimPodOptions options) {
        link.reset();
        rig = std::make_unique<SimRig>(options);
        link = std::make_unique<PodLink>(rig->loader, rig->clock);
        ASSERT_TRUE(link->LoadDriverLibrary());
        ASSERT_TRUE(link->FindPod());
        ASSERT_EQ(link->OpenPod(), OpenResult::Opened);
    }

    SimPod& pod() { return rig->pod; }
    PodLink& l() { return *link; }

    // Writes raw bytes as one USB write, past the command layer.
    void WriteRaw(const std::string& bytes) {
        ASSERT_TRUE(link->WriteFrame(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), 200));
    }
    static std::string Frame(const std::string& body) { return "\x02" + body + "\x03"; }

    ::testing::AssertionResult ErrorMentions(const std::string& words) const {
        std::string all;
        for (const auto& e : rig->pod.protocolErrors()) {
            if (e.find(words) != std::string::npos) return ::testing::AssertionSuccess();
            all += "\n  " + e;
        }
        return ::testing::AssertionFailure() << "no refusal mentions \"" << words << "\"; refusals:" << all;
    }
    void ExpectNoProtocolErrors() const {
        for (const auto& e : rig->pod.protocolErrors()) ADD_FAILURE() << "pod refused: " << e;
    }

    // Boots an F281x and readies its flash: "N", "K" (option off), "O" 00.
    void ReadyF281x(uint8_t deviceCode) {
        ASSERT_TRUE(StartBootF281x(l(), deviceCode));
        ASSERT_TRUE(SendCsmKeys(l(), false, kNoPassword));
        ASSERT_TRUE(InitFlash(l(), 5000));
    }
    // One flash block as WriteFlash sends it.
    bool ProgramWords(uint32_t address, const std::vector<uint16_t>& words) {
        for (size_t i = 0; i < words.size(); ++i)
            if (!SendFlashWord(l(), words[i], i + 1 == words.size())) return false;
        return ProgramBlock(l(), address, static_cast<uint16_t>(words.size()), 5000);
    }

    std::unique_ptr<SimRig> rig;
    std::unique_ptr<PodLink> link;
};

// A fresh folder under the system's temporary folder, removed afterwards.
class TempFolder {
public:
    TempFolder() {
        path_ = std::filesystem::temp_directory_path() /
                ("nembra-sim-" + std::to_string(reinterpret_cast<uintptr_t>(this)) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

}  // namespace nembra::testing
