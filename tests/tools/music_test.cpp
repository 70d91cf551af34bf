// Tests of the music generator: the section plan the show follows, the
// deterministic maths, short rendered excerpts of the track, the Vorbis round
// trip and the shipped data/air.ogg.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <string>

#include "support/source_dir.h"
#include "music/arrangement.h"
#include "music/dsp.h"
#include "music/encode.h"
#include "music/render.h"

namespace m = orvane::music;

namespace {

const m::Track& track() {
  static const m::Track kTrack;
  return kTrack;
}

std::int64_t atSeconds(double seconds) { return static_cast<std::int64_t>(seconds * m::kSampleRate); }

m::StereoBuffer excerpt(double fromSeconds, double seconds) {
  return track().render(atSeconds(fromSeconds), atSeconds(seconds));
}

double barSeconds(int bar) { return bar * m::kBarMs / 1000.0; }

std::string readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

TEST(MusicArrangement, SectionsTileTheTrackInWholePhrasesAndBarsMapToThem) {
  EXPECT_EQ(m::kSections.front().startBar, 0);
  for (std::size_t i = 0; i < m::kSections.size(); ++i) {
    const m::Section& s = m::kSections[i];
    EXPECT_GT(s.bars, 0) << s.name;
    EXPECT_EQ(s.bars % 8, 0) << s.name << " should be whole eight-bar phrases";
    if (i > 0) EXPECT_EQ(s.startBar, m::kSections[i - 1].endBar()) << s.name;
    EXPECT_EQ(m::sectionAtBar(s.startBar).name, s.name);
    EXPECT_EQ(m::sectionAtBar(s.endBar() - 1).name, s.name);
  }
  EXPECT_EQ(m::kSections.back().endMs(), m::kTrackMs);
  EXPECT_EQ(m::findSection("nowhere"), nullptr);
}

TEST(MusicDsp, SineExponentAndLogarithmAgreeWithTheLibrary) {
  // The generator's own maths keeps the track the same on every machine; it must
  // still be the maths it stands in for.
  for (double x = -20.0; x <= 20.0; x += 0.173) {
    EXPECT_NEAR(m::sineCycles(x / 7.0), std::sin(m::kTwoPi * x / 7.0), 1e-9) << x;
    EXPECT_NEAR(m::exp2Det(x) / std::exp2(x), 1.0, 1e-12) << x;
    EXPECT_NEAR(m::log2Det(std::exp2(x)), x, 1e-11) << x;
  }
  EXPECT_EQ(m::exp2Det(-5000.0), 0.0);
  EXPECT_NEAR(m::midiToHz(69), 440.0, 1e-9);
  EXPECT_LT(std::fabs(m::softClip(1e6)), 1.0);
}

TEST(MusicRender, ExcerptsRepeatAndRangesRenderedSeparatelyJoinWithoutSeams) {
  const double at = barSeconds(78) + 0.77;
  const m::StereoBuffer longer = excerpt(at - 0.5, 1.5);
  const m::StereoBuffer shorter = excerpt(at, 1.0);
  const m::StereoBuffer again = excerpt(at, 1.0);
  EXPECT_EQ(shorter.left, again.left);
  EXPECT_EQ(shorter.right, again.right);
  const std::size_t offset = longer.left.size() - shorter.left.size();
  double worst = 0.0;
  for (std::size_t i = 0; i < shorter.left.size(); ++i) {
    worst = std::max(worst, static_cast<double>(std::fabs(longer.left[offset + i] - shorter.left[i])));
    worst = std::max(worst, static_cast<double>(std::fabs(longer.right[offset + i] - shorter.right[i])));
  }
  EXPECT_LT(worst, 1e-5);
}

TEST(MusicRender, MainSectionsSoundTheIntroIsQuieterAndTheClimaxStaysBelowFullScale) {
  for (const char* name : {"verse", "main", "climax"}) {
    const m::Section& s = *m::findSection(name);
    const m::Level level = m::measure(excerpt(barSeconds(s.startBar + s.bars / 2) + 0.25, 1.0));
    EXPECT_GT(level.rms, 0.05) << name;
  }
  const m::Level intro = m::measure(excerpt(barSeconds(4), 1.5));
  const m::Level climax = m::measure(excerpt(barSeconds(m::findSection("climax")->startBar), 2.0));
  EXPECT_GT(intro.rms, 0.005);
  EXPECT_LT(intro.rms, 0.5 * climax.rms);
  EXPECT_LT(climax.peak, 0.8913);  // the limiter's -1 dBFS ceiling
  EXPECT_GT(climax.peak, 0.3);
}

TEST(MusicRender, TrackFadesToSilenceAtItsEnd) {
  const double end = m::kTrackMs / 1000.0;
  const m::StereoBuffer tail = excerpt(end - 0.05, 0.1);
  const std::size_t half = tail.left.size() / 2;
  for (std::size_t i = 0; i < tail.left.size(); ++i) {
    EXPECT_LT(std::fabs(tail.left[i]), 2e-3);
    if (i >= half) EXPECT_EQ(std::fabs(tail.left[i]) + std::fabs(tail.right[i]), 0.0f);
  }
}

TEST(MusicEncode, VorbisRoundTripKeepsRateChannelsAndLengthAndIsRepeatable) {
  m::StereoBuffer tone;
  for (int i = 0; i < m::kSampleRate; ++i) {
    tone.left.push_back(static_cast<float>(0.5 * m::sineCycles(440.0 * i / m::kSampleRate)));
    tone.right.push_back(static_cast<float>(0.25 * m::sineCycles(660.0 * i / m::kSampleRate)));
  }
  const std::string first = testing::TempDir() + "music_tone_a.ogg";
  const std::string second = testing::TempDir() + "music_tone_b.ogg";
  std::string error;
  ASSERT_TRUE(m::writeOggVorbis(first, tone, m::kSampleRate, 0.4f, error)) << error;
  ASSERT_TRUE(m::writeOggVorbis(second, tone, m::kSampleRate, 0.4f, error)) << error;
  EXPECT_EQ(readBytes(first), readBytes(second));
  m::DecodedInfo info;
  ASSERT_TRUE(m::readOggVorbis(first, info));
  EXPECT_EQ(info.sampleRate, 44100);
  EXPECT_EQ(info.channels, 2);
  EXPECT_EQ(info.frames, m::kSampleRate);
  EXPECT_NEAR(info.peak, 0.5, 0.05);
  EXPECT_FALSE(m::readOggVorbis(testing::TempDir() + "music_missing.ogg", info));
  EXPECT_FALSE(m::writeOggVorbis("/nonexistent-dir/x.ogg", tone, m::kSampleRate, 0.4f, error));
}

TEST(MusicFile, ShippedTrackMatchesThePlan) {
  const std::string path = std::string(orvaneSourceDir()) + "/data/air.ogg";
  m::DecodedInfo info;
  ASSERT_TRUE(m::readOggVorbis(path, info)) << path;
  EXPECT_EQ(info.sampleRate, 44100);
  EXPECT_EQ(info.channels, 2);
  EXPECT_EQ(info.frames, m::kTrackSamples);
  EXPECT_LT(info.peak, 1.0);
  EXPECT_GT(info.rms, 0.05);
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  EXPECT_LT(static_cast<long>(in.tellg()), 5L * 1024 * 1024);
}
