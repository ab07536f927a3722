#include <gmock/gmock.h>

#include "app/ClaimGate.h"
#include "station/PodClaim.h"
#include "tests/ui/WindowFixture.h"

namespace nembra::testing {
namespace {

using ::testing::MatchesRegex;

// The engineer's window beside an operator's station on one host: the
// window opens no pod the station holds, and holds the pod it opens.
class WindowClaim : public WindowFixture {
protected:
    TempDir claimDir;
    station::PodClaims stationClaims{claimDir.path(), "nembra-station"};
    station::PodClaims windowClaims{claimDir.path(), "nembra"};
    ClaimGate gate{windowClaims};
};

TEST_F(WindowClaim, APodTheStationHoldsIsNotOpenedAndTheLineSaysWhoHoldsIt) {
    Open();
    window->SetPodGate(&gate);
    std::string refusal;
    ASSERT_TRUE(stationClaims.Claim(kSimPodSerial, refusal)) << refusal;
    c().podInfo->click();
    EXPECT_THAT(Message(), MatchesRegex("The pod SIM00001 is in use by nembra-station \\(process [0-9]+\\)"));
    EXPECT_TRUE(MessageIsError());
    EXPECT_EQ(rig.device.CallCount(SimDevice::Call::OpenEx), 0);
    // The station lets go: the window works as ever, and gives the pod back when done.
    stationClaims.Release(kSimPodSerial);
    c().podInfo->click();
    EXPECT_EQ(Message().rfind("POD Ver: ", 0), 0u) << Message();
    EXPECT_TRUE(stationClaims.Claim(kSimPodSerial, refusal)) << refusal;
}

}  // namespace
}  // namespace nembra::testing
