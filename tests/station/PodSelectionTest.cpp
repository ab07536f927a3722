#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "pod/PodLink.h"
#include "station/PodSelection.h"

namespace nembra::station {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// Three pods and a device of another kind, as `list` numbers them; the
// second pod's serial number is all digits, as an FTDI serial may be.
std::vector<PodEntry> Bus() {
    std::vector<PodEntry> entries(5);
    entries[0] = {0, "SIM00001", kPodDescription, "simulated", std::nullopt, OpenFailureCause::None};
    entries[1] = {1, "3", kPodDescription, "libftd2xx", std::nullopt, OpenFailureCause::None};
    entries[2] = {2, "FT1234", "USB Serial Converter", "libftd2xx", std::nullopt, OpenFailureCause::None};
    entries[3] = {3, "SIM00004", kPodDescription, "simulated", std::nullopt, OpenFailureCause::None};
    entries[4] = {4, "", kPodDescription, "libftd2xx", std::nullopt, OpenFailureCause::None};
    return entries;
}

std::vector<std::string> Select(const std::string& selector, std::string* error = nullptr) {
    std::vector<std::string> serials{"left over"};
    std::string reason;
    if (!SelectPods(selector, Bus(), serials, reason)) return {"refused: " + reason};
    if (error != nullptr) *error = reason;
    return serials;
}

TEST(PodSelection, SerialNumbersAndIndexesGiveThePodsInTheOrderAsked) {
    EXPECT_THAT(Select("SIM00004"), ElementsAre("SIM00004"));
    EXPECT_THAT(Select("0"), ElementsAre("SIM00001"));
    EXPECT_THAT(Select("SIM00004,0, 2"), ElementsAre("SIM00004", "SIM00001", "FT1234"));
    // A serial number wins over an index that reads the same.
    EXPECT_THAT(Select("3"), ElementsAre("3"));
    EXPECT_THAT(Select("1"), ElementsAre("3"));
}

TEST(PodSelection, APodNamedTwiceRunsOnce) {
    EXPECT_THAT(Select("0,SIM00001, 0"), ElementsAre("SIM00001"));
    EXPECT_THAT(Select("SIM00004,,SIM00004,"), ElementsAre("SIM00004"));
}

TEST(PodSelection, AllTakesEveryPodWithTheDescriptionAndASerialNumber) {
    EXPECT_THAT(Select("all"), ElementsAre("SIM00001", "3", "SIM00004"));
    EXPECT_THAT(Select(" all "), ElementsAre("SIM00001", "3", "SIM00004"));
    std::vector<std::string> serials;
    std::string error;
    std::vector<PodEntry> others{Bus()[2]};
    EXPECT_FALSE(SelectPods("all", others, serials, error));
    EXPECT_EQ(error, "No KVL47Q POD is attached");
    EXPECT_THAT(serials, IsEmpty());
}

TEST(PodSelection, EachRefusalNamesWhatIsWrong) {
    EXPECT_THAT(Select("SIM00009"),
                ElementsAre("refused: No pod with the serial number or index \"SIM00009\" is attached"));
    EXPECT_THAT(Select("0,7"), ElementsAre("refused: No pod with the serial number or index \"7\" is attached"));
    EXPECT_THAT(Select("1x"), ElementsAre("refused: No pod with the serial number or index \"1x\" is attached"));
    EXPECT_THAT(Select("-1"), ElementsAre("refused: No pod with the serial number or index \"-1\" is attached"));
    EXPECT_THAT(Select("4"), ElementsAre("refused: The pod at index 4 has no serial number to open it by"));
    // A selection that names nothing must not pass as a run on no pods.
    for (const char* nothing : {"", " ", ",", " , ,"})
        EXPECT_THAT(Select(nothing),
                    ElementsAre("refused: No pod is named: give a serial number, an index, a list of them or all"))
            << '"' << nothing << '"';
}

}  // namespace
}  // namespace nembra::station
