// The offline demo clock: start + frame x 1000 / fps, one frame per advance.
#include "sound/fixed_step_clock.h"

#include <gtest/gtest.h>

TEST(FixedStepClock, TimeIsStartPlusFramesAtTheRateTruncatedWithoutDriftInAWholeRunOrAPiece) {
  CDemoSoundFixedStep clock(60);
  clock.play(1000);
  EXPECT_EQ(clock.getTime(), 1000u);
  EXPECT_EQ(clock.getTime(), 1000u) << "reading does not move the clock";
  clock.advance();
  EXPECT_EQ(clock.getTime(), 1016u);  // 16.67 truncated
  clock.advance();
  EXPECT_EQ(clock.getTime(), 1033u);
  for (int i = 0; i < 58; ++i) clock.advance();
  EXPECT_EQ(clock.getTime(), 2000u) << "sixty frames make a second exactly";
  CDemoSoundFixedStep hour(30);
  hour.play(0);
  for (int i = 0; i < 30 * 3600; ++i) hour.advance();
  EXPECT_EQ(hour.getTime(), 3600000u);
  hour.play(500);
  EXPECT_EQ(hour.getTime(), 500u) << "play restarts";
  EXPECT_EQ(hour.getFrame(), 0u);
  EXPECT_EQ(CDemoSoundFixedStep(0).getFramesPerSecond(), 1u) << "a zero rate cannot divide";
  // A piece of a capture starting at frame 101 keeps the whole run's times.
  CDemoSoundFixedStep whole(60);
  whole.play(1000);
  for (int i = 0; i < 101; ++i) whole.advance();
  CDemoSoundFixedStep piece(60);
  piece.setFirstFrame(101);
  piece.play(1000);
  EXPECT_EQ(piece.getFrame(), 101u);
  EXPECT_EQ(piece.getTime(), 2683u) << "1000 + 101 x 1000 / 60 truncated, not 1000 + 1683 + ...";
  EXPECT_EQ(piece.getTime(), whole.getTime());
  piece.advance();
  whole.advance();
  EXPECT_EQ(piece.getTime(), whole.getTime());
}
