// The section plan of the music track "air": tempo, bar length and where each
// section starts and ends. Header-only so that the music generator, its tests and
// any other generator that lines things up with the music can share one table.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace orvane::music {

inline constexpr int kSampleRate = 44100;
inline constexpr int kChannels = 2;
inline constexpr int kBeatsPerMinute = 120;
inline constexpr int kBeatsPerBar = 4;
inline constexpr int kStepsPerBar = 16;  // sixteenth notes
// At 120 BPM every bar is exactly two seconds, so section edges fall on whole
// milliseconds (and whole samples) that the show's scenes can follow.
inline constexpr int kBeatMs = 60000 / kBeatsPerMinute;
inline constexpr int kBarMs = kBeatMs * kBeatsPerBar;
inline constexpr std::int64_t kSamplesPerBar = std::int64_t{kBarMs} * kSampleRate / 1000;
static_assert(60000 % kBeatsPerMinute == 0, "a beat must last whole milliseconds");
static_assert(std::int64_t{kBarMs} * kSampleRate % 1000 == 0, "a bar must last whole samples");

struct Section {
  std::string_view name;
  int startBar;
  int bars;
  std::string_view character;

  constexpr int endBar() const { return startBar + bars; }
  constexpr int startMs() const { return startBar * kBarMs; }
  constexpr int endMs() const { return endBar() * kBarMs; }
};

inline constexpr std::array<Section, 8> kSections{{
    {"intro", 0, 8, "wind and a slowly opening pad, a soft glassy arpeggio appears; no drums"},
    {"verse", 8, 16, "gentle four-on-the-floor, offbeat bass, pads and arpeggio; a mellow lead enters halfway"},
    {"buildup1", 24, 8, "snare roll speeding up, noise riser, filters opening; one beat of silence at the end"},
    {"main", 32, 16, "first drop: full drums, pumping bass, bright pads, the main lead theme twice"},
    {"breakdown", 48, 16, "drums out: wide pads, wind and a bell melody; the arpeggio returns in the second half"},
    {"buildup2", 64, 8, "longer and brighter roll and riser, the theme teased through a closing filter"},
    {"climax", 72, 16, "loudest part: full drums, theme doubled an octave up with harmony, extra arpeggio"},
    {"outro", 88, 8, "drums thin out and stop, last chords ring out on D, fade to silence at the end"},
}};

inline constexpr int kTotalBars = kSections.back().endBar();
inline constexpr int kTrackMs = kTotalBars * kBarMs;
inline constexpr std::int64_t kTrackSamples = std::int64_t{kTotalBars} * kSamplesPerBar;

// The section that plays during `bar`; bars past the end belong to the last one.
constexpr const Section& sectionAtBar(int bar) {
  for (const Section& section : kSections)
    if (bar < section.endBar()) return section;
  return kSections.back();
}

constexpr const Section* findSection(std::string_view name) {
  for (const Section& section : kSections)
    if (section.name == name) return &section;
  return nullptr;
}

constexpr std::int64_t msToSample(std::int64_t ms) { return ms * kSampleRate / 1000; }

}  // namespace orvane::music
