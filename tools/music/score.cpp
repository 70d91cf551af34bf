// Composes "air": chords, drum patterns, bass lines, arpeggios and melodies for
// every section of the arrangement. Melancholic D major / B minor harmony that
// keeps lifting (vi-IV-I-V and IV-V-iii-vi cycles) for a sky-and-blossom mood.
#include "music/score.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "music/arrangement.h"
#include "music/dsp.h"

namespace orvane::music {

const char* instrumentName(Instrument instrument) {
  static constexpr std::array<const char*, kInstrumentCount> kNames{
      "kick", "snare", "clap", "hat", "open hat", "crash", "riser",
      "bass", "sub", "pad", "pluck", "lead", "bell", "wind"};
  return kNames[static_cast<int>(instrument)];
}

namespace {

constexpr double kStepSeconds = kBarMs / 1000.0 / kStepsPerBar;

struct Chord {
  int bass;                // root in the bass register
  std::array<int, 4> pad;  // close voicing around middle C
};

constexpr Chord kG{31, {55, 59, 62, 66}};    // Gmaj7
constexpr Chord kA{33, {57, 61, 64, 69}};    // A
constexpr Chord kFsm{30, {57, 61, 64, 66}};  // F#m7
constexpr Chord kBm{35, {57, 62, 66, 71}};   // Bm7
constexpr Chord kD{38, {57, 62, 64, 66}};    // Dadd9
constexpr Chord kEm{40, {55, 59, 62, 64}};   // Em7

struct MelodyNote {
  int step;   // sixteenths from the start of the phrase
  int steps;  // held for
  int pitch;
};

// Verse and build-up phrase over G A F#m Bm: dotted rising figures.
const std::vector<MelodyNote> kVerseTheme{
    {0, 3, 71}, {3, 3, 74}, {6, 10, 78},              // G
    {16, 3, 76}, {19, 3, 73}, {22, 10, 76},           // A
    {32, 3, 73}, {35, 3, 76}, {38, 6, 81}, {44, 4, 78},  // F#m
    {48, 12, 74}, {60, 4, 73},                        // Bm
};

// The main theme over Bm G D A, question and answer, eight bars.
const std::vector<MelodyNote> kMainTheme{
    {0, 6, 71}, {6, 2, 74}, {8, 4, 78}, {12, 2, 76}, {14, 2, 74},   // Bm
    {16, 6, 76}, {22, 2, 74}, {24, 4, 71}, {28, 4, 74},             // G
    {32, 4, 69}, {36, 4, 74}, {40, 6, 78}, {46, 2, 79},             // D
    {48, 8, 81}, {56, 2, 79}, {58, 2, 78}, {60, 4, 76},             // A
    {64, 6, 78}, {70, 2, 76}, {72, 4, 74}, {76, 4, 78},             // Bm
    {80, 6, 79}, {86, 2, 78}, {88, 2, 76}, {90, 2, 74}, {92, 4, 71},  // G
    {96, 4, 74}, {100, 4, 76}, {104, 4, 78}, {108, 4, 81},          // D
    {112, 12, 76}, {124, 4, 73},                                    // A
};

// Slow bell line of the breakdown over G A F#m Bm G A Bm Bm.
const std::vector<MelodyNote> kBreakdownTheme{
    {0, 8, 78}, {8, 8, 74},                 // G
    {16, 8, 76}, {24, 4, 73}, {28, 4, 76},  // A
    {32, 12, 73}, {44, 4, 69},              // F#m
    {48, 16, 71},                           // Bm
    {64, 8, 78}, {72, 8, 81},               // G
    {80, 8, 79}, {88, 4, 78}, {92, 4, 76},  // A
    {96, 12, 78}, {108, 4, 76},             // Bm
    {112, 16, 71},                          // Bm
};

// Arpeggio order over the chord's four notes and their octave.
constexpr std::array<int, 16> kArpOrder{0, 2, 4, 6, 5, 3, 4, 2, 1, 3, 5, 7, 6, 4, 3, 1};

bool inKey(int pitch) {
  static constexpr std::array<bool, 12> kDMajor{false, true, true, false, true, false,
                                                true,  true, false, true, false, true};
  return kDMajor[((pitch % 12) + 12) % 12];
}

// The note a diatonic third below, for harmony lines.
int thirdBelow(int pitch) {
  int found = 0;
  for (int candidate = pitch - 1;; --candidate) {
    if (inKey(candidate) && ++found == 2) return candidate;
  }
}

double unitHash(std::uint64_t value) {
  return static_cast<double>(mix64(value) >> 11) * (1.0 / 9007199254740992.0);
}

class Composer {
 public:
  Composer() {
    auto fill = [this](int firstBar, std::initializer_list<Chord> cycle, int bars) {
      int index = 0;
      for (int bar = firstBar; bar < firstBar + bars; ++bar, ++index)
        chords_[bar] = *(cycle.begin() + index % cycle.size());
    };
    fill(0, {kG, kA, kFsm, kBm}, 8);
    fill(8, {kG, kA, kFsm, kBm}, 16);
    fill(24, {kG, kA, kFsm, kBm, kG, kA, kEm, kA}, 8);
    fill(32, {kBm, kG, kD, kA}, 16);
    fill(48, {kG, kA, kFsm, kBm, kG, kA, kBm, kBm}, 16);
    fill(64, {kG, kA, kFsm, kBm, kG, kA, kEm, kA}, 8);
    fill(72, {kBm, kG, kD, kA}, 16);
    fill(88, {kBm, kG, kD, kA, kG, kA, kD, kD}, 8);
  }

  const Chord& chord(int bar) const { return chords_[bar]; }

  void add(Instrument instrument, int bar, double step, double steps, double pitch, double velocity,
           double pan = 0.0, double brightFrom = 0.0, double brightTo = -1.0) {
    Note note{};
    note.instrument = instrument;
    note.start = bar * (kBarMs / 1000.0) + step * kStepSeconds;
    note.length = steps * kStepSeconds;
    note.pitch = pitch;
    note.velocity = velocity;
    note.pan = pan;
    note.brightFrom = brightFrom;
    note.brightTo = brightTo < 0.0 ? brightFrom : brightTo;
    const auto startSample = static_cast<std::uint64_t>(note.start * kSampleRate + 0.5);
    note.seed = mix64((static_cast<std::uint64_t>(instrument) << 56) ^ (startSample << 8) ^
                      static_cast<std::uint64_t>(pitch * 4.0));
    notes_.push_back(note);
  }

  // Hats and rolls get a little velocity life so loops do not sound machine-stamped.
  double humanize(int bar, double step, double velocity, double amount) const {
    const double u = unitHash(static_cast<std::uint64_t>(bar * 64 + step * 4) * 0x51ed27ULL);
    return velocity * (1.0 - amount + 2.0 * amount * u);
  }

  void kicks(int bar, double velocity, int lastStep = 16) {
    for (int step = 0; step < lastStep; step += 4) add(Instrument::Kick, bar, step, 4, 36, velocity);
  }

  void claps(int bar, double velocity) {
    add(Instrument::Clap, bar, 4, 2, 0, velocity, -0.05);
    add(Instrument::Clap, bar, 12, 2, 0, velocity, 0.05);
  }

  void offbeatHats(int bar, double velocity) {
    for (int step = 2; step < 16; step += 4)
      add(Instrument::HatClosed, bar, step, 1, 0, humanize(bar, step, velocity, 0.1), 0.25);
  }

  void busyHats(int bar, double velocity, bool openOffbeats) {
    static constexpr std::array<double, 4> kAccent{0.55, 0.3, 1.0, 0.4};
    for (int step = 0; step < 16; ++step) {
      const bool offbeat = step % 4 == 2;
      const Instrument kind = offbeat && openOffbeats ? Instrument::HatOpen : Instrument::HatClosed;
      add(kind, bar, step, offbeat ? 2 : 1, 0, humanize(bar, step, velocity * kAccent[step % 4], 0.15),
          step % 2 == 0 ? 0.2 : 0.35);
    }
  }

  void offbeatBass(int bar, double velocity, double bright) {
    const Chord& c = chord(bar);
    for (int step = 2; step < 16; step += 4) add(Instrument::Bass, bar, step, 1.7, c.bass, velocity, 0, bright);
  }

  void eighthBass(int bar, double velocity, double bright, int lastStep = 16) {
    const Chord& c = chord(bar);
    for (int step = 0; step < lastStep; step += 2)
      add(Instrument::Bass, bar, step, 1.7, step % 4 == 0 ? c.bass : c.bass + 12, velocity, 0, bright);
  }

  void sub(int bar, double velocity, double steps = 16) {
    add(Instrument::Sub, bar, 0, steps, chord(bar).bass, velocity);
  }

  void pad(int bar, double velocity, double brightFrom, double brightTo, double steps = 16) {
    static constexpr std::array<double, 4> kSpread{-0.55, 0.2, -0.2, 0.55};
    const Chord& c = chord(bar);
    for (int i = 0; i < 4; ++i)
      add(Instrument::Pad, bar, 0, steps, c.pad[i], velocity, kSpread[i], brightFrom, brightTo);
  }

  void arp(int bar, double velocity, double bright, int octave, int every, int lastStep = 16, double width = 0.45) {
    const Chord& c = chord(bar);
    for (int step = 0; step < lastStep; step += every) {
      const int index = kArpOrder[step];
      const int pitch = c.pad[index % 4] + 12 * (index / 4) + octave;
      const double pan = (step / every) % 2 == 0 ? -width : width;
      add(Instrument::Pluck, bar, step, every, pitch, humanize(bar, step + 0.5, velocity, 0.08), pan, bright);
    }
  }

  void melody(const std::vector<MelodyNote>& line, Instrument instrument, int bar, double velocity, double pan,
              double brightFrom, double brightTo, int transpose = 0, bool harmony = false, int maxStep = 1 << 30) {
    const double lastStep = line.back().step + line.back().steps;
    for (const MelodyNote& m : line) {
      if (m.step >= maxStep) continue;
      const double along = m.step / lastStep;
      const double bright = brightFrom + (brightTo - brightFrom) * along;
      const int pitch = (harmony ? thirdBelow(m.pitch) : m.pitch) + transpose;
      // Longer notes a touch louder: they carry the phrase.
      const double accent = m.steps >= 6 ? 1.0 : 0.88;
      add(instrument, bar + m.step / 16, m.step % 16, m.steps, pitch, velocity * accent, pan, bright);
    }
  }

  void roll(int bar, int every, int lastStep, double velocityFrom, double velocityTo) {
    for (int step = 0; step < lastStep; step += every) {
      const double v = velocityFrom + (velocityTo - velocityFrom) * step / 16.0;
      add(Instrument::Snare, bar, step, 1, 0, humanize(bar, step + 0.25, v, 0.06),
          unitHash(bar * 16 + step) * 0.2 - 0.1);
    }
  }

  // A last-beat snare run that leads into the next eight bars.
  void fill(int bar, double velocityFrom, double velocityTo) {
    for (int step = 12; step < 16; ++step)
      add(Instrument::Snare, bar, step, 1, 0, velocityFrom + (velocityTo - velocityFrom) * (step - 12) / 3.0, 0.0);
  }

  std::vector<Note> take() {
    std::stable_sort(notes_.begin(), notes_.end(), [](const Note& a, const Note& b) { return a.start < b.start; });
    return std::move(notes_);
  }

 private:
  std::array<Chord, kTotalBars> chords_{};
  std::vector<Note> notes_;
};

void intro(Composer& c, const Section& s) {
  c.add(Instrument::Wind, s.startBar, 0, 16 * s.bars, 0, 0.6, 0, 700, 2400);
  for (int local = 0; local < s.bars; ++local) {
    const int bar = s.startBar + local;
    c.pad(bar, 0.16 + 0.07 * local, 350 * exp2Det(local * 0.42), 350 * exp2Det((local + 1) * 0.42));
    if (local >= 4) {
      c.arp(bar, 0.16 + 0.04 * (local - 4), 900 + 250 * (local - 4), 12, 1);
      c.sub(bar, 0.22 + 0.04 * (local - 4));
    }
  }
  c.add(Instrument::Riser, s.endBar() - 2, 0, 32, 0, 0.3, 0, 500, 5000);
}

void verse(Composer& c, const Section& s) {
  for (int local = 0; local < s.bars; ++local) {
    const int bar = s.startBar + local;
    c.kicks(bar, 0.78);
    if (local < 8)
      c.offbeatHats(bar, 0.32);
    else
      c.busyHats(bar, 0.26, false);
    if (local >= 4) c.claps(bar, 0.55);
    c.offbeatBass(bar, 0.6, 320);
    c.sub(bar, 0.42);
    c.pad(bar, 0.42, 2000, 2300);
    c.arp(bar, 0.24, 1300, 12, 1);
  }
  c.add(Instrument::Crash, s.startBar, 0, 16, 0, 0.45);
  c.add(Instrument::Crash, s.startBar + 8, 0, 16, 0, 0.32);
  c.melody(kVerseTheme, Instrument::Lead, s.startBar + 8, 0.5, 0.05, 1300, 1900);
  c.melody(kVerseTheme, Instrument::Lead, s.startBar + 12, 0.52, 0.05, 1500, 2100);
}

void buildup(Composer& c, const Section& s, double intensity) {
  const int total = s.bars * 16;
  for (int local = 0; local < s.bars; ++local) {
    const int bar = s.startBar + local;
    const bool last = local == s.bars - 1;
    const int lastStep = last ? 12 : 16;  // one beat of silence before the drop
    c.kicks(bar, 0.85, lastStep);
    const int every = local < s.bars / 2 ? 4 : local < s.bars - 2 ? 2 : 1;
    const double from = 0.18 + 0.72 * intensity * (local * 16) / total;
    const double to = 0.18 + 0.72 * intensity * (local * 16 + 16) / total;
    c.roll(bar, every, lastStep, from, to);
    if (local >= 2) {
      for (int step = 0; step < lastStep; ++step)
        c.add(Instrument::HatClosed, bar, step, 1, 0, c.humanize(bar, step, step % 2 ? 0.1 : 0.2, 0.15), 0.3);
    }
    c.eighthBass(bar, 0.5 + 0.03 * local, 260 * exp2Det(local * 0.35), lastStep);
    const double padFrom = 600 * exp2Det(local * 0.45 * intensity);
    const double padTo = 600 * exp2Det((local + 1) * 0.45 * intensity);
    c.pad(bar, 0.4 + 0.03 * local, padFrom, padTo, lastStep);
    c.arp(bar, 0.2 + 0.03 * local, 1100 + 220 * local, 12, 1, lastStep);
  }
  c.add(Instrument::Riser, s.startBar, 0, total - 4, 0, 0.55 * intensity, 0, 250, 9000);
}

void drop(Composer& c, const Section& s, bool climax) {
  for (int local = 0; local < s.bars; ++local) {
    const int bar = s.startBar + local;
    // The first drop holds a little back so the climax can rise above it.
    c.kicks(bar, climax ? 1.0 : 0.9);
    c.claps(bar, climax ? 0.85 : 0.68);
    c.busyHats(bar, climax ? 0.36 : 0.28, true);
    c.offbeatBass(bar, climax ? 0.76 : 0.66, climax ? 460 : 400);
    c.sub(bar, 0.5);
    c.pad(bar, climax ? 0.56 : 0.5, climax ? 4200 : 3000, climax ? 4800 : 3400);
    c.arp(bar, climax ? 0.27 : 0.25, climax ? 2400 : 1900, 12, 1);
    if (climax) c.arp(bar, 0.11, 3000, 24, 2, 16, 0.8);
    if (local % 8 == 7) c.fill(bar, 0.3, 0.6);
    if (local % 8 == 0) c.add(Instrument::Crash, bar, 0, 16, 0, climax ? 0.6 : 0.55);
  }
  for (int half = 0; half < 2; ++half) {
    const int bar = s.startBar + 8 * half;
    c.melody(kMainTheme, Instrument::Lead, bar, climax ? 0.8 : 0.72, 0.0, climax ? 3000 : 2400,
             climax ? 3600 : 2800);
    if (climax) {
      c.melody(kMainTheme, Instrument::Lead, bar, 0.3, 0.35, 3600, 4200, 12);
      c.melody(kMainTheme, Instrument::Lead, bar, 0.34, -0.35, 2400, 2800, 0, true);
    }
  }
}

void breakdown(Composer& c, const Section& s) {
  c.add(Instrument::Crash, s.startBar, 0, 16, 0, 0.5);
  c.add(Instrument::Wind, s.startBar, 0, 16 * s.bars, 0, 0.5, 0, 900, 2200);
  for (int local = 0; local < s.bars; ++local) {
    const int bar = s.startBar + local;
    const double bright = local < 8 ? 1400 : std::min(4500.0, 1400 * exp2Det((local - 8) * 0.22));
    c.pad(bar, 0.5, bright, bright * 1.1);
    c.sub(bar, 0.32);
    if (local >= 8) c.arp(bar, 0.1 + 0.02 * (local - 8), 1000 + 150 * (local - 8), 12, 2);
    if (local >= 12) c.offbeatHats(bar, 0.08 + 0.04 * (local - 12));
  }
  c.melody(kBreakdownTheme, Instrument::Bell, s.startBar, 0.55, -0.1, 2200, 2200);
  c.melody(kBreakdownTheme, Instrument::Bell, s.startBar + 8, 0.55, -0.1, 2600, 2600);
  c.melody(kBreakdownTheme, Instrument::Bell, s.startBar + 8, 0.2, 0.4, 2000, 2000, 12);
}

void buildupWithTeaser(Composer& c, const Section& s) {
  buildup(c, s, 1.0);
  c.melody(kVerseTheme, Instrument::Lead, s.startBar, 0.45, 0.0, 500, 2600);
  c.melody(kVerseTheme, Instrument::Lead, s.startBar + 4, 0.5, 0.0, 1200, 3600, 0, false, 32);
}

void outro(Composer& c, const Section& s) {
  const int bar0 = s.startBar;
  for (int local = 0; local < 4; ++local) {
    const int bar = bar0 + local;
    c.kicks(bar, 0.8 - 0.08 * local);
    c.offbeatHats(bar, 0.26 - 0.03 * local);
    c.offbeatBass(bar, 0.5 - 0.05 * local, 360);
    c.sub(bar, 0.42);
    c.pad(bar, 0.46, 3000 - 400 * local, 2800 - 400 * local);
    c.arp(bar, 0.24 - 0.02 * local, 1800 - 150 * local, 12, 1);
  }
  c.melody(kMainTheme, Instrument::Bell, bar0, 0.45, -0.1, 2400, 2000, 0, false, 64);
  for (int local = 4; local < 6; ++local) {
    const int bar = bar0 + local;
    c.pad(bar, 0.42, 2000, 1700);
    c.sub(bar, 0.34);
    c.arp(bar, 0.17 - 0.04 * (local - 4), 1300, 12, 2);
  }
  // The last chord: D, rolled on the bell, left to ring out.
  const int last = bar0 + 6;
  c.add(Instrument::Crash, last, 0, 16, 0, 0.28);
  c.pad(last, 0.44, 1800, 900, 24);
  c.sub(last, 0.36, 20);
  c.add(Instrument::Pluck, last, 0, 4, 74, 0.3, -0.3, 1500);
  c.add(Instrument::Bell, last, 0, 16, 74, 0.4, -0.25, 2000);
  c.add(Instrument::Bell, last, 1, 15, 78, 0.34, 0.05, 2000);
  c.add(Instrument::Bell, last, 2, 14, 81, 0.3, 0.3, 2000);
  c.add(Instrument::Wind, bar0 + 2, 0, 16 * 6, 0, 0.35, 0, 1500, 700);
}

}  // namespace

std::vector<Note> composeTrack() {
  Composer c;
  intro(c, *findSection("intro"));
  verse(c, *findSection("verse"));
  buildup(c, *findSection("buildup1"), 0.85);
  drop(c, *findSection("main"), false);
  breakdown(c, *findSection("breakdown"));
  buildupWithTeaser(c, *findSection("buildup2"));
  drop(c, *findSection("climax"), true);
  outro(c, *findSection("outro"));
  return c.take();
}

}  // namespace orvane::music
