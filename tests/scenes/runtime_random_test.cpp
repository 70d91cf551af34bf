// The shared runtime generator: the unseeded C runtime's sequence, replayable.
#include "scenes/runtime_random.h"

#include <gtest/gtest.h>

#include <cstdlib>

TEST(RuntimeRandom, AFreshProcessStartsAtStateOne) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");  // a fresh process, not a fork of this one
  EXPECT_EXIT(std::exit(runtimeRandomState() == 1u && runtimeRand() == 41 ? 0 : 1), testing::ExitedWithCode(0), "");
}

TEST(RuntimeRandom, IntegersUniformAndCentredValuesFollowTheUnseededRuntimeSequence) {
  setRuntimeRandomState(1);
  // The classic first values of an unseeded Microsoft C runtime rand().
  for (s32 value : {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358}) EXPECT_EQ(runtimeRand(), value);
  setRuntimeRandomState(1);
  EXPECT_DOUBLE_EQ(runtimeUniform(), 41 / 32767.0);
  EXPECT_DOUBLE_EQ(runtimeCentred(), (18467 / 32767.0 - 0.5) * 2.0);
  setRuntimeRandomState(0);
  EXPECT_EQ(runtimeRand(), static_cast<s32>((2531011u >> 16) & 0x7FFF));
}
