#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <optional>

#include "ops/Operations.h"
#include "pod/DriverLoader.h"
#include "tests/libftdi/ModelLibraries.h"
#include "tests/support/CoffBuilder.h"
#include "tests/support/RecordingEvents.h"
#include "tests/support/RecordingStatus.h"

namespace nembra::testing {

// One pod on the modelled FT232R beneath the real libftdi1, with what an
// operation needs around it. Every test ends with nothing left open or in
// flight on the model, and no transfer misused.
class ModelPodFixture : public ::testing::Test {
protected:
    void SetUp() override {
        model = libraries_.model();
        if (model == nullptr) GTEST_SKIP() << libraries_.skipReason();
        model->Reset();
        pod = model->AddChip(0x6001, kPodDescription);
        opsClock.emplace(model->Clock());
    }
    void TearDown() override {
        session.reset();
        loader.reset();
        if (model == nullptr) return;
        EXPECT_EQ(model->OpenHandles(), 0);
        EXPECT_EQ(model->TransfersInFlight(), 0);
        for (const auto& misuse : model->TransferMisuses()) ADD_FAILURE() << misuse;
    }

    // A session on the bus's clock whose link loads its driver from this loader.
    void StartSession(std::unique_ptr<DriverLoader> driverLoader) {
        loader = std::move(driverLoader);
        session.emplace(*loader, model->Clock());
    }
    OperationContext Ctx() { return OperationContext{*session, job, status, *opsClock, nullptr, &events}; }

    ModelLibraries libraries_;
    usbmodel::UsbModelControl* model = nullptr;
    int pod = 0;
    std::unique_ptr<DriverLoader> loader;
    std::optional<LinkOpsClock> opsClock;
    std::optional<Session> session;
    Job job;
    RecordingEvents events;
    RecordingStatus status;
    TempDir dir;
};

}  // namespace nembra::testing
