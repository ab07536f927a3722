#include "packaging/docgen/CompletionTable.h"

#include <gtest/gtest.h>

namespace nembra::docgen {
namespace {

TEST(CompletionTable, CompletesEachValueByItsName) {
    const auto tool = SplitSections(
        "NAME\n  tool - does\n\nOPTIONS\n"
        "  --driver NAME:{ftd2xx,libftdi}\n"
        "                          the driver library\n"
        "  --log FILE              where the log goes\n"
        "  --pod SERIAL            the pod\n"
        "  --sim[=STATE]           simulated\n");
    const auto run = SplitSections("NAME\n  tool run - runs\n\nARGUMENTS\n  FILE                    the program\n");
    const std::string table = CompletionTable(tool, {{"run", run}}, {"f2812"});
    EXPECT_NE(table.find("[--driver]='words:ftd2xx libftdi'"), std::string::npos) << table;
    EXPECT_NE(table.find("[--log]='file'"), std::string::npos);
    EXPECT_NE(table.find("[--pod]='text'"), std::string::npos);
    EXPECT_NE(table.find("local -A attached=([--sim]='file')"), std::string::npos);
    EXPECT_NE(table.find("local -A arguments=([run]='out')"), std::string::npos);
    EXPECT_NE(table.find("local global_options='--driver --log --pod --sim --sim='"), std::string::npos);
}

TEST(CompletionTable, ReadsTheDeviceNamesOffTheirList) {
    EXPECT_EQ(DeviceNames("lf240xa-30, f2812 (or 0-4)"), (std::vector<std::string>{"lf240xa-30", "f2812"}));
    EXPECT_EQ(DeviceNames("f2812"), (std::vector<std::string>{"f2812"}));
}

TEST(CompletionTable, TheTableReplacesTheTemplatesMarkerLine) {
    EXPECT_EQ(FillTemplate("a\n@NEMBRA_CLI_TABLE@\nb\n", "    local x=1\n"), "a\n    local x=1\nb\n");
}

}  // namespace
}  // namespace nembra::docgen
