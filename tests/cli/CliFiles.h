#pragma once
#include <string>

#include "image/IntelHex.h"
#include "tests/support/CoffBuilder.h"

namespace nembra::testing {

// Small COFF programs the end-to-end tests load.
struct CliFiles {
    TempDir dir;
    std::string f2812;       // flash in sectors A and C, plus a RAM section
    std::string f2812Other;  // the same layout with other words
    std::string f2812Ram;    // RAM sections only
    std::string lf240x;      // two sections for the LF240xA family
    std::string state;       // the simulated pod's store

    CliFiles();
    std::string Path(const std::string& name) const { return dir.path() + "/" + name; }
};

// The F2812 file's words in flash (sectors A and C) by address.
WordMap F2812FlashWords();
// The RAM section's words of the F2812 file.
WordMap F2812RamWords();

std::string TestDataDir();  // the TI files' folder, empty when absent

}  // namespace nembra::testing
