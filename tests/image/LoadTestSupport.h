#pragma once
#include <gtest/gtest.h>

#include <string>

#include "image/ProgramImage.h"
#include "tests/support/RecordingStatus.h"

namespace nembra::testing {

// A refused Load: its message shown as an error and the image left empty.
inline void ExpectLoadRefused(const RecordingStatus& status, const ProgramImage& image, const std::string& message) {
    EXPECT_EQ(status.lastText(), message);
    EXPECT_TRUE(status.lastIsError());
    EXPECT_FALSE(image.imageLoaded);
    EXPECT_TRUE(image.sections.empty());
    EXPECT_EQ(image.totalBytes, 0u);
}

}  // namespace nembra::testing
