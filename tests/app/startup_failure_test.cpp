// Start-up failures: always on standard error, in a message box only when the
// entry turned boxes on (an interactive run); headless runs never open one.
#include "app/startup_failure.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
std::vector<std::string> gShown;
void recordBox(const char* caption, const char* text) { gShown.push_back(std::string(caption) + "|" + text); }
}  // namespace

TEST(StartupFailure, AHeadlessRunOnlyWritesToStandardErrorAnInteractiveOneAlsoShowsABox) {
  testing::internal::CaptureStderr();
  reportStartupFailure("Orvane", "The show cannot start.", "no sound device");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "orvane: The show cannot start. (no sound device)\n");
  EXPECT_TRUE(gShown.empty());

  setStartupMessageBoxes(recordBox);
  testing::internal::CaptureStderr();
  reportStartupFailure("Orvane", "No display can be opened.");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "orvane: No display can be opened.\n");
  setStartupMessageBoxes(nullptr);
  EXPECT_EQ(gShown, std::vector<std::string>{"Orvane|No display can be opened."});
}
