// Tests of the music generator: the section plan the show follows, the
// deterministic maths, short rendered excerpts of the track, the Vorbis round
// trip and the shipped data/air.ogg.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "support/source_dir.h"
#include "music/arrangement.h"
#include "music/dsp.h"
#include "music/encode.h"
#include "music/render.h"
#include "music/score.h"
#include "music/synth.h"

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
    EXPECT_EQ(s.startMs(), s.startBar * m::kBarMs) << s.name;
    if (i > 0) EXPECT_EQ(s.startBar, m::kSections[i - 1].endBar()) << s.name;
    EXPECT_EQ(m::sectionAtBar(s.startBar).name, s.name);
    EXPECT_EQ(m::sectionAtBar(s.endBar() - 1).name, s.name);
  }
  EXPECT_EQ(m::kSections.back().endMs(), m::kTrackMs);
  EXPECT_EQ(m::kTrackSamples, std::int64_t{m::kTrackMs} * 441 / 10);
  EXPECT_GE(m::kTrackMs, 150000) << "between two and a half and four minutes";
  EXPECT_LE(m::kTrackMs, 240000);
  EXPECT_EQ(m::findSection("nowhere"), nullptr);
}

TEST(MusicDsp, SineAgreesWithTheLibrary) {
  for (double phase = -3.0; phase <= 3.0; phase += 0.0137)
    EXPECT_NEAR(m::sineCycles(phase), std::sin(m::kTwoPi * phase), 1e-9) << phase;
  EXPECT_NEAR(m::cosineCycles(0.0), 1.0, 1e-12);
}

TEST(MusicDsp, ExponentAndLogarithmAgreeWithTheLibrary) {
  for (double x = -20.0; x <= 20.0; x += 0.173) {
    EXPECT_NEAR(m::exp2Det(x) / std::exp2(x), 1.0, 1e-12) << x;
    EXPECT_NEAR(m::log2Det(std::exp2(x)), x, 1e-11) << x;
  }
  EXPECT_EQ(m::exp2Det(-5000.0), 0.0);
  EXPECT_NEAR(m::midiToHz(69), 440.0, 1e-9);
  EXPECT_NEAR(m::midiToHz(81), 880.0, 1e-9);
  EXPECT_LT(std::fabs(m::softClip(1e6)), 1.0);
}

TEST(MusicDsp, NoiseRepeatsForASeedAndStaysInRange) {
  m::Noise a(42), b(42), c(43);
  double sum = 0.0;
  bool differs = false;
  for (int i = 0; i < 100000; ++i) {
    const double x = a.next();
    EXPECT_EQ(x, b.next());
    differs = differs || x != c.next();
    ASSERT_GE(x, -1.0);
    ASSERT_LT(x, 1.0);
    sum += x;
  }
  EXPECT_TRUE(differs);
  EXPECT_NEAR(sum / 100000.0, 0.0, 0.02);
}

TEST(MusicScore, NotesAreSortedAndInsideTheTrack) {
  const auto& notes = track().notes();
  ASSERT_GT(notes.size(), 1000u);
  for (std::size_t i = 0; i < notes.size(); ++i) {
    EXPECT_GE(notes[i].start, 0.0);
    EXPECT_LE(notes[i].start + notes[i].length, m::kTrackMs / 1000.0 + 1e-9);
    EXPECT_GT(notes[i].velocity, 0.0);
    EXPECT_LE(notes[i].velocity, 1.0);
    if (i > 0) EXPECT_LE(notes[i - 1].start, notes[i].start);
  }
}

TEST(MusicRender, ExcerptIsDeterministic) {
  const m::StereoBuffer a = excerpt(barSeconds(40) + 0.3, 1.0);
  const m::StereoBuffer b = excerpt(barSeconds(40) + 0.3, 1.0);
  ASSERT_EQ(a.left.size(), b.left.size());
  EXPECT_EQ(std::memcmp(a.left.data(), b.left.data(), a.left.size() * sizeof(float)), 0);
  EXPECT_EQ(std::memcmp(a.right.data(), b.right.data(), a.right.size() * sizeof(float)), 0);
}

TEST(MusicRender, RangesRenderedSeparatelyJoinWithoutSeams) {
  const double at = barSeconds(78) + 0.77;
  const m::StereoBuffer longer = excerpt(at - 0.5, 1.5);
  const m::StereoBuffer shorter = excerpt(at, 1.0);
  const std::size_t offset = longer.left.size() - shorter.left.size();
  double worst = 0.0;
  for (std::size_t i = 0; i < shorter.left.size(); ++i) {
    worst = std::max(worst, static_cast<double>(std::fabs(longer.left[offset + i] - shorter.left[i])));
    worst = std::max(worst, static_cast<double>(std::fabs(longer.right[offset + i] - shorter.right[i])));
  }
  EXPECT_LT(worst, 1e-5);
}

TEST(MusicRender, ClimaxStaysBelowFullScale) {
  const m::Level level = m::measure(excerpt(barSeconds(m::findSection("climax")->startBar), 2.0));
  EXPECT_LT(level.peak, 0.8913);  // the limiter's -1 dBFS ceiling
  EXPECT_GT(level.peak, 0.3);
}

TEST(MusicRender, MainSectionsAreNotSilentAndTheIntroIsQuieter) {
  for (const char* name : {"verse", "main", "climax"}) {
    const m::Section& s = *m::findSection(name);
    const m::Level level = m::measure(excerpt(barSeconds(s.startBar + s.bars / 2) + 0.25, 1.0));
    EXPECT_GT(level.rms, 0.05) << name;
  }
  const m::Level intro = m::measure(excerpt(barSeconds(4), 1.5));
  const m::Level climax = m::measure(excerpt(barSeconds(m::findSection("climax")->startBar + 4), 1.5));
  EXPECT_GT(intro.rms, 0.005);
  EXPECT_LT(intro.rms, 0.5 * climax.rms) << "the intro is quieter than the climax";
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

TEST(MusicDocs, SectionTableMatchesTheCode) {
  const std::string page = readBytes(std::string(orvaneSourceDir()) + "/docs/music.md");
  ASSERT_FALSE(page.empty());
  for (const m::Section& s : m::kSections) {
    const std::string row = "| " + std::string(s.name) + " | " + std::to_string(s.startMs()) + " | " +
                            std::to_string(s.endMs()) + " | " + std::to_string(s.startBar) + "-" +
                            std::to_string(s.endBar() - 1) + " |";
    EXPECT_NE(page.find(row), std::string::npos) << row;
  }
}

namespace {

m::Note testNote(m::Instrument instrument, double pitch, double length) {
  m::Note note{};
  note.instrument = instrument;
  note.start = 1.0;
  note.length = length;
  note.pitch = pitch;
  note.velocity = 1.0;
  note.pan = 0.0;
  note.brightFrom = instrument == m::Instrument::Riser ? 300.0 : 2000.0;
  note.brightTo = instrument == m::Instrument::Riser ? 6000.0 : 2000.0;
  note.seed = 7;
  return note;
}

struct Rendered {
  std::int64_t first;
  std::vector<double> left, right;
};

Rendered renderAlone(const m::Note& note, std::int64_t before = 100, std::int64_t after = 2000) {
  Rendered r;
  r.first = m::noteFirstSample(note) - before;
  const auto count = before + static_cast<std::int64_t>(m::noteSeconds(note) * m::kSampleRate) + after;
  r.left.assign(static_cast<std::size_t>(count), 0.0);
  r.right.assign(static_cast<std::size_t>(count), 0.0);
  m::renderNote(note, r.first, count, r.left.data(), r.right.data());
  return r;
}

int risingZeroCrossings(const std::vector<double>& x, std::size_t from, std::size_t to) {
  int count = 0;
  for (std::size_t i = from + 1; i < to; ++i) count += x[i - 1] < 0.0 && x[i] >= 0.0;
  return count;
}

}  // namespace

TEST(MusicSynth, EveryInstrumentSoundsOnlyWithinItsSpan) {
  for (int i = 0; i < m::kInstrumentCount; ++i) {
    const auto instrument = static_cast<m::Instrument>(i);
    const bool long_ = instrument == m::Instrument::Riser || instrument == m::Instrument::Wind;
    const m::Note note = testNote(instrument, instrument == m::Instrument::Bass ? 40 : 69, long_ ? 2.0 : 0.5);
    const Rendered r = renderAlone(note);
    const std::int64_t spanEnd = m::noteFirstSample(note) + static_cast<std::int64_t>(m::noteSeconds(note) * 44100) + 1;
    double peak = 0.0;
    for (std::size_t s = 0; s < r.left.size(); ++s) {
      const std::int64_t at = r.first + static_cast<std::int64_t>(s);
      ASSERT_TRUE(std::isfinite(r.left[s]) && std::isfinite(r.right[s])) << m::instrumentName(instrument);
      if (at < m::noteFirstSample(note) || at >= spanEnd) {
        ASSERT_EQ(r.left[s], 0.0) << m::instrumentName(instrument) << " at " << at;
        ASSERT_EQ(r.right[s], 0.0) << m::instrumentName(instrument) << " at " << at;
      }
      peak = std::max({peak, std::fabs(r.left[s]), std::fabs(r.right[s])});
    }
    EXPECT_GT(peak, 0.01) << m::instrumentName(instrument);
    EXPECT_LT(peak, 1.5) << m::instrumentName(instrument);
    // The tail has faded out by the end of the span: no click when the voice stops.
    const std::size_t last = static_cast<std::size_t>(spanEnd - 1 - r.first);
    EXPECT_LT(std::fabs(r.left[last]), 0.01 * peak + 1e-9) << m::instrumentName(instrument);
  }
}

TEST(MusicSynth, ANoteSplitAcrossRangesEqualsTheWholeNote) {
  const m::Note note = testNote(m::Instrument::Pad, 62, 1.0);
  const std::int64_t first = m::noteFirstSample(note);
  const std::int64_t count = static_cast<std::int64_t>(m::noteSeconds(note) * m::kSampleRate);
  std::vector<double> wholeL(count, 0.0), wholeR(count, 0.0), partL(count, 0.0), partR(count, 0.0);
  m::renderNote(note, first, count, wholeL.data(), wholeR.data());
  const std::int64_t cut = count / 3;
  m::renderNote(note, first, cut, partL.data(), partR.data());
  m::renderNote(note, first + cut, count - cut, partL.data() + cut, partR.data() + cut);
  EXPECT_EQ(wholeL, partL);
  EXPECT_EQ(wholeR, partR);
}

TEST(MusicSynth, PitchedVoicesPlayTheirNote) {
  // A2 = 110 Hz on the sub: 55 cycles in half a second of its sustain.
  const Rendered sub = renderAlone(testNote(m::Instrument::Sub, 45, 1.0), 0, 0);
  EXPECT_NEAR(risingZeroCrossings(sub.left, 4410, 4410 + 22050), 55, 1);
  // The kick's body settles near 44 Hz after its pitch drop.
  const Rendered kick = renderAlone(testNote(m::Instrument::Kick, 36, 0.5), 0, 0);
  EXPECT_NEAR(risingZeroCrossings(kick.left, 8820, 8820 + 8820), 9, 1);
}

TEST(MusicRender, InstrumentMaskSilencesWhatIsLeftOut) {
  const std::int64_t first = atSeconds(barSeconds(m::findSection("breakdown")->startBar + 2));
  for (std::uint32_t mask : {0u, 1u << static_cast<int>(m::Instrument::Kick)}) {
    const m::StereoBuffer silent = track().render(first, 4410, mask);
    EXPECT_EQ(m::measure(silent).peak, 0.0) << mask;
  }
  EXPECT_GT(m::measure(track().render(first, 4410)).peak, 0.01);
}
