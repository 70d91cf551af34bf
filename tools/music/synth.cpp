// Synthesis of every instrument: analogue-style drums from sines and filtered
// noise, detuned saw pads and leads, FM plucks and bells, and noise for wind and
// risers. Decays are per-sample multipliers so the inner loops stay cheap.
#include "music/synth.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "music/arrangement.h"
#include "music/dsp.h"

namespace orvane::music {
namespace {

constexpr double kRate = kSampleRate;
constexpr double kDt = 1.0 / kRate;

// Exponential decay towards zero with time constant `tau` seconds.
class Decay {
 public:
  explicit Decay(double tau, double start = 1.0) : value_(start), factor_(expDet(-kDt / tau)) {}
  double next() {
    const double v = value_;
    value_ *= factor_;
    return v;
  }

 private:
  double value_;
  double factor_;
};

// Fades the last `fade` seconds of a voice's span to silence.
double endFade(double t, double span, double fade) {
  const double left = span - t;
  return left >= fade ? 1.0 : std::max(0.0, left / fade);
}

double geometric(double from, double to, double along) {
  along = std::min(1.0, std::max(0.0, along));
  if (from <= 0.0 || to <= 0.0 || from == to) return from;
  return from * exp2Det(log2Det(to / from) * along);
}

// Metallic partials for hats and cymbals (square waves at inharmonic ratios).
class Metal {
 public:
  explicit Metal(std::uint64_t seed) {
    Noise n(seed);
    for (double& p : phases_) p = (n.next() + 1.0) * 0.5;
  }
  double next() {
    static constexpr std::array<double, 6> kHz{307.9, 456.6, 554.4, 784.0, 810.0, 1200.0};
    double sum = 0.0;
    for (int i = 0; i < 6; ++i) {
      phases_[i] += kHz[i] * kDt;
      if (phases_[i] >= 1.0) phases_[i] -= 1.0;
      sum += phases_[i] < 0.5 ? 1.0 : -1.0;
    }
    return sum / 6.0;
  }

 private:
  std::array<double, 6> phases_{};
};

template <class Voice>
void run(Voice& voice, const Note& note, std::int64_t first, std::int64_t count, double* left, double* right) {
  const std::int64_t start = noteFirstSample(note);
  const auto span = static_cast<std::int64_t>(noteSeconds(note) * kRate) + 1;
  const std::int64_t end = std::min(span, first + count - start);
  const PanGains pan = panGains(note.pan);
  for (std::int64_t i = 0; i < end; ++i) {
    double l = 0.0, r = 0.0;
    voice.tick(static_cast<double>(i) * kDt, l, r);
    const std::int64_t index = start + i - first;
    if (index >= 0) {
      left[index] += l * pan.left * note.velocity;
      right[index] += r * pan.right * note.velocity;
    }
  }
}

struct Kick {
  explicit Kick(const Note& n) : noise(n.seed) {}
  Noise noise;
  Decay sweep{0.032}, snap{0.004}, body{0.34}, click{0.003};
  double phase = 0.0, lp = 0.0;
  void tick(double t, double& l, double& r) {
    const double f = 44.0 + 115.0 * sweep.next() + 70.0 * snap.next();
    phase += f * kDt;
    const double attack = std::min(1.0, t / 0.0008);
    const double b = sineCycles(phase) * body.next() * attack;
    lp += 0.35 * (noise.next() - lp);
    const double x = softClip(1.8 * b) * 0.95 + lp * click.next() * 0.4;
    l = r = x * endFade(t, 0.6, 0.08);
  }
};

struct Snare {
  explicit Snare(const Note& n) : common(n.seed), sideL(n.seed + 1), sideR(n.seed + 2) {
    for (Svf* f : {&hpL, &hpR}) f->tune(1400.0, 1.0);
  }
  Noise common, sideL, sideR;
  Svf hpL, hpR;
  Decay tone{0.02}, toneAmp{0.07}, noiseAmp{0.14};
  double phase = 0.0, lpL = 0.0, lpR = 0.0;
  void tick(double t, double& l, double& r) {
    phase += (180.0 + 70.0 * tone.next()) * kDt;
    const double body = sineCycles(phase) * toneAmp.next() * 0.55;
    const double c = common.next();
    hpL.process(c * 0.8 + sideL.next() * 0.35);
    hpR.process(c * 0.8 + sideR.next() * 0.35);
    lpL += 0.55 * (hpL.high() - lpL);
    lpR += 0.55 * (hpR.high() - lpR);
    const double amp = noiseAmp.next() * std::min(1.0, t / 0.0005) * endFade(t, 0.5, 0.05);
    l = (body + lpL * amp * 0.8) * endFade(t, 0.5, 0.05);
    r = (body + lpR * amp * 0.8) * endFade(t, 0.5, 0.05);
  }
};

struct Clap {
  explicit Clap(const Note& n) : noiseL(n.seed), noiseR(n.seed + 7) {
    bpL.tune(1300.0, 0.8);
    bpR.tune(1500.0, 0.8);
  }
  Noise noiseL, noiseR;
  Svf bpL, bpR;
  void tick(double t, double& l, double& r) {
    double env = 0.0;
    for (double burst : {0.0, 0.011, 0.023})
      if (t >= burst) env += expDet(-(t - burst) / 0.0065);
    if (t >= 0.023) env += 0.85 * expDet(-(t - 0.023) / 0.13);
    env *= endFade(t, 0.5, 0.05);
    bpL.process(noiseL.next());
    bpR.process(noiseR.next());
    l = bpL.band() * env * 1.6;
    r = bpR.band() * env * 1.6;
  }
};

struct Hat {
  Hat(const Note& n, double decay, double span) : noise(n.seed), metal(n.seed + 3), amp(decay), length(n.length),
                                                   span(span) {
    hp.tune(7200.0, 1.1);
  }
  Noise noise;
  Metal metal;
  Svf hp;
  Decay amp;
  double length, span;
  double choke = 1.0;
  void tick(double t, double& l, double& r) {
    hp.process(noise.next() * 0.8 + metal.next() * 0.6);
    if (t > length) choke *= 0.9985;  // an open hat is cut by the next closed one
    const double x = hp.high() * amp.next() * choke * std::min(1.0, t / 0.0007) * endFade(t, span, 0.02);
    l = r = x;
  }
};

struct Crash {
  explicit Crash(const Note& n) : noiseL(n.seed), noiseR(n.seed + 5), metal(n.seed + 9) {
    hpL.tune(3800.0, 1.2);
    hpR.tune(4200.0, 1.2);
  }
  Noise noiseL, noiseR;
  Metal metal;
  Svf hpL, hpR;
  Decay amp{1.0};
  void tick(double t, double& l, double& r) {
    const double m = metal.next() * 0.35;
    hpL.process(noiseL.next() + m);
    hpR.process(noiseR.next() + m);
    const double a = amp.next() * std::min(1.0, t / 0.001) * endFade(t, 3.0, 0.4) * 0.5;
    l = hpL.high() * a;
    r = hpR.high() * a;
  }
};

struct Riser {
  explicit Riser(const Note& n) : note(n), noiseL(n.seed), noiseR(n.seed + 11) {}
  const Note& note;
  Noise noiseL, noiseR;
  Svf bpL, bpR;
  long counter = 0;
  void tick(double t, double& l, double& r) {
    const double along = std::min(1.0, t / note.length);
    if (counter++ % 32 == 0) {
      const double fc = geometric(note.brightFrom, note.brightTo, along);
      bpL.tune(fc, 0.7);
      bpR.tune(fc * 1.06, 0.7);
    }
    bpL.process(noiseL.next());
    bpR.process(noiseR.next());
    const double a = along * along * endFade(t, note.length + 0.04, 0.04) * 0.9;
    l = bpL.band() * a;
    r = bpR.band() * a;
  }
};

struct Bass {
  explicit Bass(const Note& n) : note(n), hz(midiToHz(n.pitch)) {}
  const Note& note;
  double hz;
  Svf lp;
  Decay filterEnv{0.09};
  double phase = 0.0;
  long counter = 0;
  void tick(double t, double& l, double& r) {
    const double step = hz * kDt;
    phase += step;
    if (phase >= 1.0) phase -= 1.0;
    const double osc = sawBlep(phase, step) * 0.7 + sineCycles(phase) * 0.5;
    const double fe = filterEnv.next();
    if (counter++ % 16 == 0) lp.tune(note.brightFrom * (1.0 + 3.0 * fe), 0.9);
    lp.process(osc);
    double amp = std::min(1.0, t / 0.003);
    if (t > note.length) amp *= std::max(0.0, 1.0 - (t - note.length) / 0.03);
    l = r = softClip(1.3 * lp.low()) * amp * 0.8;
  }
};

struct Sub {
  explicit Sub(const Note& n) : note(n), hz(midiToHz(n.pitch)) {}
  const Note& note;
  double hz;
  double phase = 0.0;
  void tick(double t, double& l, double& r) {
    phase += hz * kDt;
    if (phase >= 1.0) phase -= 1.0;
    double amp = std::min(1.0, t / 0.015);
    if (t > note.length) amp *= std::max(0.0, 1.0 - (t - note.length) / 0.06);
    l = r = sineCycles(phase) * amp * 0.6;
  }
};

struct Pad {
  static constexpr std::array<double, 6> kCents{-17.0, -9.0, -3.0, 4.0, 10.0, 16.0};
  explicit Pad(const Note& n) : note(n) {
    Noise init(n.seed);
    for (int i = 0; i < 6; ++i) {
      steps[i] = midiToHz(n.pitch + kCents[i] / 100.0) * kDt;
      phases[i] = (init.next() + 1.0) * 0.5;
    }
  }
  const Note& note;
  std::array<double, 6> steps{}, phases{};
  Svf lpL, lpR;
  Decay release{0.35};
  long counter = 0;
  void tick(double t, double& l, double& r) {
    double sumL = 0.0, sumR = 0.0;
    for (int i = 0; i < 6; ++i) {
      phases[i] += steps[i];
      if (phases[i] >= 1.0) phases[i] -= 1.0;
      const double s = sawBlep(phases[i], steps[i]);
      // Alternate voices lean left and right: the detuning becomes width.
      if (i % 2 == 0) {
        sumL += 0.8 * s;
        sumR += 0.2 * s;
      } else {
        sumL += 0.2 * s;
        sumR += 0.8 * s;
      }
    }
    if (counter++ % 32 == 0) {
      const double fc = geometric(note.brightFrom, note.brightTo, t / note.length);
      lpL.tune(fc, 1.1);
      lpR.tune(fc * 1.03, 1.1);
    }
    lpL.process(sumL);
    lpR.process(sumR);
    const double rise = std::min(1.0, t / 0.4);
    double amp = rise * rise * (3.0 - 2.0 * rise);
    if (t > note.length) amp *= release.next();
    amp *= endFade(t, note.length + 1.6, 0.15) * 0.11;
    l = lpL.low() * amp;
    r = lpR.low() * amp;
  }
};

struct Pluck {
  explicit Pluck(const Note& n) : note(n), hz(midiToHz(n.pitch)), brightness(n.brightFrom / 2000.0) {}
  const Note& note;
  double hz, brightness;
  double carrier = 0.0, modulator = 0.0;
  Decay index{0.1}, amp{0.3}, release{0.12};
  void tick(double t, double& l, double& r) {
    carrier += hz * kDt;
    modulator += 2.0 * hz * kDt;
    carrier -= std::floor(carrier);
    modulator -= std::floor(modulator);
    const double i = brightness * (2.2 * index.next() + 0.25);
    double a = amp.next() * std::min(1.0, t / 0.002);
    if (t > note.length) a *= release.next();
    a *= endFade(t, note.length + 0.9, 0.1);
    const double x = sineCycles(carrier + i * sineCycles(modulator) / kTwoPi) * a * 0.32;
    l = r = x;
  }
};

struct Lead {
  explicit Lead(const Note& n) : note(n) {}
  const Note& note;
  double phaseA = 0.0, phaseB = 0.13, phaseSub = 0.4;
  double stepA = 0.0, stepB = 0.0, stepSub = 0.0;
  Svf lpL, lpR;
  Decay filterEnv{0.2}, settle{0.5}, release{0.07};
  long counter = 0;
  void tick(double t, double& l, double& r) {
    const double fe = filterEnv.next();
    if (counter++ % 16 == 0) {
      // Vibrato grows in after the attack, as a singer would.
      const double depth = std::min(1.0, std::max(0.0, (t - 0.25) / 0.3)) * 0.14;
      const double pitch = note.pitch + depth * sineCycles(5.3 * t);
      const double hz = midiToHz(pitch);
      stepA = hz * exp2Det(7.0 / 1200.0) * kDt;
      stepB = hz * exp2Det(-7.0 / 1200.0) * kDt;
      stepSub = hz * 0.5 * kDt;
      const double fc = note.brightFrom * (1.0 + 1.2 * fe);
      lpL.tune(fc, 0.8);
      lpR.tune(fc, 0.8);
    }
    for (auto [phase, step] : {std::pair<double*, double>{&phaseA, stepA}, {&phaseB, stepB}, {&phaseSub, stepSub}}) {
      *phase += step;
      if (*phase >= 1.0) *phase -= 1.0;
    }
    const double a = sawBlep(phaseA, stepA), b = sawBlep(phaseB, stepB);
    const double s = squareBlep(phaseSub, stepSub) * 0.25;
    lpL.process(0.7 * a + 0.3 * b + s);
    lpR.process(0.3 * a + 0.7 * b + s);
    double amp = std::min(1.0, t / 0.01) * (0.8 + 0.2 * settle.next());
    if (t > note.length) amp *= release.next();
    amp *= endFade(t, note.length + 0.45, 0.05) * 0.24;
    l = lpL.low() * amp;
    r = lpR.low() * amp;
  }
};

struct Bell {
  explicit Bell(const Note& n) : note(n), hz(midiToHz(n.pitch)), brightness(n.brightFrom / 2000.0) {}
  const Note& note;
  double hz, brightness;
  double carrier = 0.0, modulator = 0.0, shimmer = 0.0;
  Decay index{0.5}, amp{1.4}, octave{0.4}, release{0.5};
  void tick(double t, double& l, double& r) {
    carrier += hz * kDt;
    modulator += 3.5 * hz * kDt;
    shimmer += 2.0 * hz * kDt;
    carrier -= std::floor(carrier);
    modulator -= std::floor(modulator);
    shimmer -= std::floor(shimmer);
    const double i = brightness * (1.6 * index.next() + 0.1);
    double a = amp.next() * std::min(1.0, t / 0.002);
    if (t > note.length) a *= release.next();
    a *= endFade(t, note.length + 2.5, 0.2);
    const double x = (0.7 * sineCycles(carrier + i * sineCycles(modulator) / kTwoPi) +
                      0.3 * sineCycles(shimmer) * octave.next()) * a * 0.3;
    l = r = x;
  }
};

struct Wind {
  explicit Wind(const Note& n) : note(n), noiseL(n.seed), noiseR(n.seed + 13) {
    Noise init(n.seed + 17);
    drift = (init.next() + 1.0) * 0.5;
  }
  const Note& note;
  Noise noiseL, noiseR;
  Svf bpL, bpR;
  double drift = 0.0;
  long counter = 0;
  void tick(double t, double& l, double& r) {
    if (counter++ % 64 == 0) {
      const double gust = exp2Det(0.7 * sineCycles(0.09 * t + drift));
      const double fc = geometric(note.brightFrom, note.brightTo, t / note.length) * gust;
      bpL.tune(fc, 1.0);
      bpR.tune(fc * 1.15, 1.0);
    }
    bpL.process(noiseL.next());
    bpR.process(noiseR.next());
    const double fade = std::min(3.0, note.length / 3.0);
    const double amp = std::min(1.0, t / fade) * std::min(1.0, std::max(0.0, (note.length - t) / fade)) * 0.3;
    l = bpL.band() * amp;
    r = bpR.band() * amp;
  }
};

}  // namespace

double noteSeconds(const Note& note) {
  switch (note.instrument) {
    case Instrument::Kick: return 0.6;
    case Instrument::Snare:
    case Instrument::Clap: return 0.5;
    case Instrument::HatClosed: return 0.15;
    case Instrument::HatOpen: return 0.6;
    case Instrument::Crash: return 3.0;
    case Instrument::Riser: return note.length + 0.04;
    case Instrument::Bass: return note.length + 0.03;
    case Instrument::Sub: return note.length + 0.06;
    case Instrument::Pad: return note.length + 1.6;
    case Instrument::Pluck: return note.length + 0.9;
    case Instrument::Lead: return note.length + 0.45;
    case Instrument::Bell: return note.length + 2.5;
    case Instrument::Wind: return note.length;
    case Instrument::Count: break;
  }
  return 0.0;
}

std::int64_t noteFirstSample(const Note& note) {
  return static_cast<std::int64_t>(std::floor(note.start * kRate + 0.5));
}

void renderNote(const Note& note, std::int64_t first, std::int64_t count, double* left, double* right) {
  switch (note.instrument) {
    case Instrument::Kick: { Kick v(note); run(v, note, first, count, left, right); break; }
    case Instrument::Snare: { Snare v(note); run(v, note, first, count, left, right); break; }
    case Instrument::Clap: { Clap v(note); run(v, note, first, count, left, right); break; }
    case Instrument::HatClosed: { Hat v(note, 0.028, 0.15); run(v, note, first, count, left, right); break; }
    case Instrument::HatOpen: { Hat v(note, 0.16, 0.6); run(v, note, first, count, left, right); break; }
    case Instrument::Crash: { Crash v(note); run(v, note, first, count, left, right); break; }
    case Instrument::Riser: { Riser v(note); run(v, note, first, count, left, right); break; }
    case Instrument::Bass: { Bass v(note); run(v, note, first, count, left, right); break; }
    case Instrument::Sub: { Sub v(note); run(v, note, first, count, left, right); break; }
    case Instrument::Pad: { Pad v(note); run(v, note, first, count, left, right); break; }
    case Instrument::Pluck: { Pluck v(note); run(v, note, first, count, left, right); break; }
    case Instrument::Lead: { Lead v(note); run(v, note, first, count, left, right); break; }
    case Instrument::Bell: { Bell v(note); run(v, note, first, count, left, right); break; }
    case Instrument::Wind: { Wind v(note); run(v, note, first, count, left, right); break; }
    case Instrument::Count: break;
  }
}

}  // namespace orvane::music
