#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <sstream>

#include "CliFiles.h"
#include "CliProcess.h"
#include "cli/CliParser.h"

namespace nembra::testing {
namespace {

class Usage : public ::testing::Test {
protected:
    CliFiles files;
    CliRun Run(const std::vector<std::string>& args) { return RunTool(args, files.dir.path()); }
};

TEST_F(Usage, VersionAndHelpExitZero) {
    const CliRun version = Run({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "nembra-cli 1.5\n");

    const CliRun help = Run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* section : {"NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS", "COMMANDS", "EXIT STATUS", "EXAMPLES"})
        EXPECT_NE(("\n" + help.out).find(std::string("\n") + section + "\n"), std::string::npos) << section;
    EXPECT_NE(help.out.find("pod-verify"), std::string::npos);
    const std::string options = help.out.substr(help.out.find("\nOPTIONS\n"));
    for (const char* option : {"--version", "--help", "--device DEV", "--sim[=STATE]", "--trace FILE", "--json"})
        EXPECT_NE(options.find(option), std::string::npos) << option;
}

// Every option of the OPTIONS list that shapes a run is in the synopsis,
// so an option added later cannot be left out of it unnoticed.
TEST_F(Usage, SynopsisNamesEveryGlobalOption) {
    const std::string help = Run({"--help"}).out;
    const size_t synopsisAt = help.find("\nSYNOPSIS\n");
    ASSERT_NE(synopsisAt, std::string::npos);
    const std::string synopsis = help.substr(synopsisAt, help.find("\nDESCRIPTION\n") - synopsisAt) + " ";
    std::istringstream options(
        help.substr(help.find("\nOPTIONS\n"), help.find("\nCOMMANDS\n") - help.find("\nOPTIONS\n")));
    int named = 0;
    for (std::string line; std::getline(options, line);) {
        if (line.rfind("  --", 0) != 0 && line.rfind("  -h,", 0) != 0) continue;
        const size_t start = line.find("--");
        const std::string option = line.substr(start, line.find_first_of(" [:", start) - start);
        if (option == "--help" || option == "--version") continue;
        EXPECT_TRUE(synopsis.find("[" + option + " ") != std::string::npos ||
                    synopsis.find("[" + option + "]") != std::string::npos ||
                    synopsis.find("[" + option + "[") != std::string::npos)
            << option << " is missing from" << synopsis;
        ++named;
    }
    EXPECT_GE(named, 12);
}

TEST_F(Usage, EachCommandHasItsOwnPage) {
    const CliRun help = Run({"pod-write", "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("nembra-cli pod-write - "), std::string::npos);
    EXPECT_NE(help.out.find("--name"), std::string::npos);
    EXPECT_NE(help.out.find("EXIT STATUS"), std::string::npos);
}

TEST_F(Usage, MistakesExitTwoWithAReasonAndTouchNothing) {
    const std::vector<std::vector<std::string>> mistakes = {
        {},
        {"--device", "f2813", "inspect", files.f2812},
        {"--device", "5", "info"},
        {"inspect"},
        {"write"},
        {"export", files.f2812},
        {"flash", files.f2812},
        {"info", "extra"},
        {"--sim-target-hex", files.Path("t.hex"), "write", files.f2812},
        {"--sim=" + files.state, "write", files.f2812, "--unlock", "1,2,3"},
        {"--sim=" + files.state, "write", files.f2812, "--unlock", "12G4,,,,,,,"},
        {"--sim=" + files.state, "pod-write", files.f2812, "--name", "TOOLONGNAME"},
        {"--trace", files.Path("t.log"), "inspect", files.f2812},
        {"--driver", "ftd2xx", "info"},
        {"--driver", "libftdi1", "--sim=" + files.state, "info"},
        {"--driver", "libftdi1", "inspect", files.f2812},
        {"--device", "f2810", "job", "check", files.Path("line.toml")},
        {"--sim=" + files.state, "--device", "f2812", "run", files.Path("line.toml")},
    };
    for (const auto& args : mistakes) {
        const CliRun run = Run(args);
        EXPECT_EQ(run.exitCode, 2) << ::testing::PrintToString(args);
        EXPECT_TRUE(run.out.empty()) << run.out;
        EXPECT_NE(run.err.find("nembra-cli: "), std::string::npos) << run.err;
    }
    EXPECT_FALSE(std::filesystem::exists(files.state));
    EXPECT_FALSE(std::filesystem::exists(files.Path("t.hex")));
}

TEST_F(Usage, OutputsThatWouldOverwriteAnInputAreRefused) {
    const std::string original = ReadText(files.f2812);
    const std::string sameFile = files.dir.path() + "/./app.out";
    const std::vector<std::vector<std::string>> collisions = {
        {"export", files.f2812, "-o", sameFile},
        {"--sim=" + files.state, "--trace", sameFile, "write", files.f2812},
        {"--sim=" + files.state, "--sim-target-hex", files.state, "write", files.f2812},
        {"--sim=" + files.state, "--trace", files.Path("x"), "--sim-target-hex", files.Path("x"), "reset"},
    };
    for (const auto& args : collisions) {
        const CliRun run = Run(args);
        EXPECT_EQ(run.exitCode, 2) << ::testing::PrintToString(args);
        EXPECT_NE(run.err.find("is the same file as"), std::string::npos) << run.err;
    }
    EXPECT_EQ(ReadText(files.f2812), original);
}

TEST_F(Usage, UnknownDeviceNamesTheChoices) {
    const CliRun run = Run({"--device", "f2813", "inspect", files.f2812});
    EXPECT_NE(run.err.find("unknown device \"f2813\""), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("lf240xa-30"), std::string::npos);
}

TEST_F(Usage, JsonUsageErrorIsOneObject) {
    const CliRun run = Run({"--json", "--device", "x", "info"});
    EXPECT_EQ(run.exitCode, 2);
    const auto json = nlohmann::json::parse(run.out);
    EXPECT_EQ(json["ok"], false);
    EXPECT_EQ(json["usageError"], true);
    EXPECT_NE(json["message"].get<std::string>().find("unknown device"), std::string::npos);
}

TEST_F(Usage, GlobalOptionsMayFollowTheCommand) {
    const CliRun run = Run({"inspect", files.f2812, "--device", "F2810", "--json"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(nlohmann::json::parse(run.out)["deviceType"], 2);
}

TEST_F(Usage, DriverIsChosenByName) {
    const auto driverOf = [](std::vector<std::string> args) {
        args.insert(args.begin(), "nembra-cli");
        const cli::ParseResult parsed = cli::ParseCommandLine(args, "state");
        EXPECT_EQ(parsed.status, cli::ParseStatus::Run) << parsed.text;
        return parsed.options.driver;
    };
    EXPECT_EQ(driverOf({"info"}), DriverChoice::Auto);
    EXPECT_EQ(driverOf({"--driver", "auto", "info"}), DriverChoice::Auto);
    EXPECT_EQ(driverOf({"--driver", "libftd2xx", "write", files.f2812}), DriverChoice::LibFtd2xx);
    EXPECT_EQ(driverOf({"list", "--driver=libftdi1"}), DriverChoice::LibFtdi1);

    const CliRun wrong = Run({"--driver", "ftd2xx", "info"});
    EXPECT_NE(wrong.err.find("{auto,libftd2xx,libftdi1}"), std::string::npos) << wrong.err;
    const CliRun help = Run({"--help"});
    EXPECT_NE(help.out.find("--driver NAME:{auto,libftd2xx,libftdi1}"), std::string::npos) << help.out;
}

}  // namespace
}  // namespace nembra::testing
