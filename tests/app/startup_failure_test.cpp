// Start-up failures: always on standard error, in a message box only when the
// entry turned boxes on (an interactive run); headless runs never open one.
#include "app/startup_failure.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> gShown;
void recordBox(const char* caption, const char* text) { gShown.push_back(std::string(caption) + "|" + text); }

class StartupFailure : public testing::Test {
 protected:
  void SetUp() override { gShown.clear(); }
  void TearDown() override { setStartupMessageBoxes(nullptr); }
};

}  // namespace

TEST_F(StartupFailure, AHeadlessRunOnlyWritesToStandardError) {
  testing::internal::CaptureStderr();
  reportStartupFailure("Orvane", "The show cannot start.", "no sound device");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "orvane: The show cannot start. (no sound device)\n");
  EXPECT_TRUE(gShown.empty());
}

TEST_F(StartupFailure, AnInteractiveRunAlsoShowsTheMessageBox) {
  setStartupMessageBoxes(recordBox);
  testing::internal::CaptureStderr();
  reportStartupFailure("Orvane", "No display can be opened.");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "orvane: No display can be opened.\n");
  EXPECT_EQ(gShown, std::vector<std::string>{"Orvane|No display can be opened."});
}
