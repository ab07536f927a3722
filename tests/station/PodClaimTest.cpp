#include <gmock/gmock.h>
#include <sys/stat.h>

#include <filesystem>
#include <thread>

#include "station/PodClaim.h"
#include "tests/support/CoffBuilder.h"
#include "tests/support/LockHolder.h"

namespace nembra::station {
namespace {

using ::testing::HasSubstr;
using ::testing::MatchesRegex;
using testing::TempDir;

TEST(PodClaims, APodOneProgramHoldsIsRefusedToAnotherNamingTheHolder) {
    TempDir dir;
    PodClaims station(dir.path(), "nembra-station");
    PodClaims window(dir.path(), "nembra");
    std::string refusal;
    ASSERT_TRUE(station.Claim("SIM00001", refusal)) << refusal;
    EXPECT_TRUE(station.Claim("SIM00001", refusal));  // held already: still its own
    EXPECT_FALSE(window.Claim("SIM00001", refusal));
    EXPECT_THAT(refusal, MatchesRegex("the pod SIM00001 is in use by nembra-station \\(process [0-9]+\\)"));
    EXPECT_FALSE(window.Holds("SIM00001"));
    // Another pod is free all the while.
    EXPECT_TRUE(window.Claim("SIM00002", refusal)) << refusal;
}

TEST(PodClaims, AReleasedOrDroppedClaimIsFreeForTheNextProgram) {
    TempDir dir;
    PodClaims window(dir.path(), "nembra");
    std::string refusal;
    {
        PodClaims station(dir.path(), "nembra-station");
        ASSERT_TRUE(station.Claim("SIM00001", refusal));
        station.Release("SIM00001");
        EXPECT_FALSE(station.Holds("SIM00001"));
        ASSERT_TRUE(window.Claim("SIM00001", refusal)) << refusal;
        window.Release("SIM00001");
        ASSERT_TRUE(station.Claim("SIM00001", refusal));
    }  // the station ends without releasing
    EXPECT_TRUE(window.Claim("SIM00001", refusal)) << refusal;
}

TEST(PodClaims, AClaimHeldByAnotherProcessIsRefusedAndTheFileIsPrivate) {
    TempDir dir;
    PodClaims window(dir.path(), "nembra");
    const std::string path = window.ClaimPath("FT5XK1A");
    testing::LockHolder other(path);
    ASSERT_TRUE(other.held());
    std::string refusal;
    EXPECT_FALSE(window.Claim("FT5XK1A", refusal));
    EXPECT_EQ(refusal, "the pod FT5XK1A is in use by another program");  // the holder wrote no name
    EXPECT_EQ(testing::FileMode(path) & 0777, 0600);
}

TEST(PodClaims, ASerialNumberNeverNamesAFileOutsideTheFolder) {
    TempDir dir;
    PodClaims claims(dir.path(), "nembra-station");
    EXPECT_EQ(claims.ClaimPath("../x/y z"), dir.path() + "/pod-%2E%2E%2Fx%2Fy%20z.claim");
    std::string refusal;
    ASSERT_TRUE(claims.Claim("../evil", refusal)) << refusal;
    EXPECT_TRUE(std::filesystem::exists(dir.path() + "/pod-%2E%2E%2Fevil.claim"));
}

TEST(PodClaims, WithoutAFolderNoClaimIsMade) {
    PodClaims claims("", "nembra-station");
    std::string refusal;
    EXPECT_FALSE(claims.Claim("SIM00001", refusal));
    EXPECT_THAT(refusal, HasSubstr("cannot be claimed"));
    TempDir dir;
    PodClaims missing(dir.path() + "/gone", "nembra-station");
    EXPECT_FALSE(missing.Claim("SIM00001", refusal));
    EXPECT_THAT(refusal, HasSubstr("cannot be claimed"));
}

TEST(PodClaims, ThreadsClaimingManyPodsAtOnceEachGetTheirOwn) {
    TempDir dir;
    PodClaims claims(dir.path(), "nembra-station");
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&claims, t] {
            std::string refusal;
            for (int i = 0; i < 25; ++i) {
                const std::string serial = "P" + std::to_string(t) + "-" + std::to_string(i);
                claims.Claim(serial, refusal);
                if (i % 2 == 0) claims.Release(serial);
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    PodClaims other(dir.path(), "nembra");
    std::string refusal;
    EXPECT_TRUE(other.Claim("P0-0", refusal));
    EXPECT_FALSE(other.Claim("P3-1", refusal));
    EXPECT_TRUE(claims.Holds("P2-23"));
}

}  // namespace
}  // namespace nembra::station
