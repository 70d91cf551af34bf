// The soak's passes: drift is the music clock against the wall clock over each
// pass, the music starts again from the start until the last pass, and a paused
// show is set playing again as Home does.
#include <gtest/gtest.h>

#include "app/soak_passes.h"
#include "sound/demo_sound.h"

namespace {

class ScriptedSound : public IDemoSound {
 public:
  void play(u32 ms) override {
    playing = true;
    time = ms;
    ++plays;
  }
  void stop() override { playing = false; }
  bool isPlaying() override { return playing; }
  u32 getTime() override { return time; }
  void setVolume(f32) override {}
  f32 getVolume() override { return 1.0f; }
  void seek(u32 ms) override { time = ms; }

  bool playing = true;
  u32 time = 0;
  int plays = 0;
};

}  // namespace

TEST(SoakPasses, DriftIsThePicturesClockAgainstTheMusicAndPaceTheMusicAgainstTheWall) {
  double wall = 1000.0;
  double heard = -1.0;  // not playing yet
  CSoakPasses soak(3, 500, 20500, [&] { return wall; }, [&] { return heard; }, [] { return u64{3} * 1024 * 1024; });
  ScriptedSound sound;
  soak.begin();
  // The music starts 80 ms late (its first buffer): neither drift nor pace.
  u32 time = 500;
  wall += 80.0;
  heard = 0.0;
  ASSERT_TRUE(soak.onFrame(sound, time));
  time = 1500;
  wall += 1000.0;
  heard = 1000.0;
  ASSERT_TRUE(soak.onFrame(sound, time));  // settled: music and wall side by side
  // The device then plays 2 ms slower than the wall clock, and the picture's
  // clock ends half a millisecond ahead of what was heard.
  time = 20500;
  heard = 19999.5;
  wall += 19001.5;
  ASSERT_TRUE(soak.onFrame(sound, time));
  EXPECT_EQ(time, 500u) << "the next pass starts where the first did";
  EXPECT_EQ(sound.time, 500u);
  ASSERT_EQ(soak.passes().size(), 1u);
  EXPECT_DOUBLE_EQ(soak.passes()[0].driftMs, 0.5);
  EXPECT_DOUBLE_EQ(soak.passes()[0].paceMs, -2.0);
  EXPECT_DOUBLE_EQ(soak.passes()[0].seconds, 20.0815);
  EXPECT_DOUBLE_EQ(soak.passes()[0].residentMb, 3.0);
  EXPECT_EQ(soak.format(soak.passes()[0]),
            "soak: pass 1 of 3: 20.1 s, resident 3.0 MB, clock drift +0.5 ms, device pace -2.0 ms");

  // Music that has ended (not playing) leaves the last playing frame's figures.
  for (const bool last : {false, true}) {
    heard = 1500.0;
    time = 2000;
    wall += 1500.0;
    ASSERT_TRUE(soak.onFrame(sound, time));
    heard = 19000.0;
    time = 19000 + 500 - 1;
    wall += 17500.0;
    ASSERT_TRUE(soak.onFrame(sound, time));
    heard = -1.0;
    time = 20500;
    wall += 1000.0;
    EXPECT_EQ(soak.onFrame(sound, time), !last) << "the third pass is the last";
  }
  ASSERT_EQ(soak.passes().size(), 3u);
  EXPECT_DOUBLE_EQ(soak.passes()[2].driftMs, -1.0);
}

TEST(SoakPasses, APausedShowIsSetPlayingAgainAtTheStart) {
  double wall = 0.0;
  CSoakPasses soak(2, 0, 100, [&] { return wall; }, [] { return -1.0; }, [] { return u64{0}; });
  ScriptedSound sound;
  sound.playing = false;  // author mode's Space before the end
  soak.begin();
  wall = 100.0;
  u32 time = 100;
  ASSERT_TRUE(soak.onFrame(sound, time));
  EXPECT_TRUE(sound.playing);
  EXPECT_EQ(sound.plays, 1);
  EXPECT_EQ(time, 0u);
}
