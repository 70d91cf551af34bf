// The mixing desk of the music generator: buses, sends, effects and master.
// Notes are summed exactly for any range; only the effects' state needs the
// warm-up before it.
#include "music/render.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "music/arrangement.h"
#include "music/dsp.h"
#include "music/synth.h"

namespace orvane::music {
namespace {

struct Routing {
  bool ducked;  // pumped by the kick
  double level;
  double reverb;
  double delay;
};

constexpr std::array<Routing, kInstrumentCount> kRouting{{
    {false, 0.55, 0.00, 0.00},  // kick
    {false, 0.45, 0.30, 0.00},  // snare
    {false, 0.50, 0.35, 0.00},  // clap
    {false, 1.10, 0.10, 0.00},  // hat
    {false, 0.90, 0.12, 0.00},  // open hat
    {false, 0.80, 0.30, 0.00},  // crash
    {false, 0.60, 0.40, 0.00},  // riser
    {true, 0.90, 0.00, 0.00},   // bass
    {true, 0.75, 0.00, 0.00},   // sub
    {true, 1.15, 0.40, 0.00},   // pad
    {true, 1.00, 0.30, 0.35},   // pluck
    {true, 1.45, 0.28, 0.30},   // lead
    {true, 1.00, 0.50, 0.35},   // bell
    {false, 0.90, 0.45, 0.00},  // wind
}};

constexpr double kDuckDepth = 0.45;
constexpr double kDuckRecovery = 0.11;
constexpr double kMasterGain = 0.87;
constexpr double kLimitKnee = 0.70;
constexpr double kCeiling = 0.8912509381337456;  // -1 dBFS
constexpr double kFadeSeconds = 2.5;

// Freeverb-style room: eight damped combs and four allpasses per side.
class Reverb {
 public:
  Reverb() {
    static constexpr std::array<int, 8> kCombs{1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
    static constexpr std::array<int, 4> kAllpasses{556, 441, 341, 225};
    constexpr int kSpread = 23;
    for (int side = 0; side < 2; ++side) {
      for (int i = 0; i < 8; ++i) combs_[side][i].buffer.assign(kCombs[i] + side * kSpread, 0.0);
      for (int i = 0; i < 4; ++i) allpasses_[side][i].buffer.assign(kAllpasses[i] + side * kSpread, 0.0);
    }
  }

  void process(double input, double& left, double& right) {
    const double in = input * 0.015;
    double out[2];
    for (int side = 0; side < 2; ++side) {
      double sum = 0.0;
      for (Comb& c : combs_[side]) {
        const double y = c.buffer[c.index];
        c.store = y * (1.0 - kDamp) + c.store * kDamp;
        c.buffer[c.index] = in + c.store * kFeedback;
        if (++c.index == c.buffer.size()) c.index = 0;
        sum += y;
      }
      for (Allpass& a : allpasses_[side]) {
        const double b = a.buffer[a.index];
        const double y = -sum + b;
        a.buffer[a.index] = sum + b * 0.5;
        if (++a.index == a.buffer.size()) a.index = 0;
        sum = y;
      }
      out[side] = sum * 3.0;
    }
    left = out[0];
    right = out[1];
  }

 private:
  static constexpr double kFeedback = 0.86;
  static constexpr double kDamp = 0.3;
  struct Comb {
    std::vector<double> buffer;
    std::size_t index = 0;
    double store = 0.0;
  };
  struct Allpass {
    std::vector<double> buffer;
    std::size_t index = 0;
  };
  std::array<std::array<Comb, 8>, 2> combs_;
  std::array<std::array<Allpass, 4>, 2> allpasses_;
};

// Dotted-eighth echoes bouncing between the sides, darker with every repeat.
class PingPong {
 public:
  PingPong() : left_(kLength, 0.0), right_(kLength, 0.0) {}
  void process(double input, double& outLeft, double& outRight) {
    const double l = left_[index_], r = right_[index_];
    toneL_ += 0.35 * (l - toneL_);
    toneR_ += 0.35 * (r - toneR_);
    left_[index_] = input + toneR_ * kFeedback;
    right_[index_] = toneL_ * kFeedback;
    if (++index_ == kLength) index_ = 0;
    outLeft = l;
    outRight = r;
  }

 private:
  static constexpr std::size_t kLength = 16538;  // 375 ms: three sixteenths at 120 BPM
  static constexpr double kFeedback = 0.42;
  std::vector<double> left_, right_;
  std::size_t index_ = 0;
  double toneL_ = 0.0, toneR_ = 0.0;
};

double limit(double x) {
  const double magnitude = std::fabs(x);
  if (magnitude <= kLimitKnee) return x;
  const double room = kCeiling - kLimitKnee;
  const double over = (magnitude - kLimitKnee) / room;
  const double shaped = kLimitKnee + room * softClip(over);
  return x < 0.0 ? -shaped : shaped;
}

}  // namespace

Track::Track() : notes_(composeTrack()) {
  for (const Note& note : notes_)
    if (note.instrument == Instrument::Kick) kickTimes_.push_back(static_cast<double>(noteFirstSample(note)) / kSampleRate);
}

StereoBuffer Track::render(std::int64_t first, std::int64_t count, std::uint32_t instrumentMask) const {
  const auto warmup = std::min<std::int64_t>(first, static_cast<std::int64_t>(kWarmupSeconds * kSampleRate));
  const std::int64_t from = first - warmup;
  const std::int64_t total = warmup + count;
  const auto size = static_cast<std::size_t>(total);
  std::vector<double> dryL(size, 0.0), dryR(size, 0.0), pumpL(size, 0.0), pumpR(size, 0.0);
  std::vector<double> reverbSend(size, 0.0), delaySend(size, 0.0);
  std::vector<double> noteL, noteR;

  for (const Note& note : notes_) {
    const int kind = static_cast<int>(note.instrument);
    if (!(instrumentMask >> kind & 1u)) continue;
    const std::int64_t start = noteFirstSample(note);
    const std::int64_t end = start + static_cast<std::int64_t>(noteSeconds(note) * kSampleRate) + 1;
    if (end <= from || start >= from + total) continue;
    const std::int64_t a = std::max(start, from) - from;
    const std::int64_t b = std::min(end, from + total) - from;
    const auto span = static_cast<std::size_t>(b - a);
    noteL.assign(span, 0.0);
    noteR.assign(span, 0.0);
    renderNote(note, from + a, b - a, noteL.data(), noteR.data());
    const Routing& routing = kRouting[kind];
    double* outL = routing.ducked ? pumpL.data() : dryL.data();
    double* outR = routing.ducked ? pumpR.data() : dryR.data();
    for (std::int64_t i = a; i < b; ++i) {
      const double l = noteL[i - a] * routing.level, r = noteR[i - a] * routing.level;
      outL[i] += l;
      outR[i] += r;
      const double mono = 0.5 * (l + r);
      reverbSend[i] += mono * routing.reverb;
      delaySend[i] += mono * routing.delay;
    }
  }

  StereoBuffer result;
  result.left.resize(static_cast<std::size_t>(count));
  result.right.resize(static_cast<std::size_t>(count));
  Reverb reverb;
  PingPong delay;
  auto kick = std::upper_bound(kickTimes_.begin(), kickTimes_.end(), static_cast<double>(from) / kSampleRate);
  double lastKick = kick == kickTimes_.begin() ? -1e9 : *(kick - 1);
  double dcInL = 0.0, dcInR = 0.0, dcOutL = 0.0, dcOutR = 0.0;
  const double fadeStart = kTrackMs / 1000.0 - kFadeSeconds;
  for (std::size_t i = 0; i < size; ++i) {
    const std::int64_t sample = from + static_cast<std::int64_t>(i);
    const double t = static_cast<double>(sample) / kSampleRate;
    while (kick != kickTimes_.end() && *kick <= t) lastKick = *kick++;
    const double sinceKick = t - lastKick;
    double duck = 1.0;
    if (sinceKick < 1.0) {
      const double shape = sinceKick < 0.004 ? sinceKick / 0.004 : expDet(-(sinceKick - 0.004) / kDuckRecovery);
      duck = 1.0 - kDuckDepth * shape;
    }
    double echoL, echoR, roomL, roomR;
    delay.process(delaySend[i], echoL, echoR);
    reverb.process(reverbSend[i] + 0.3 * (echoL + echoR), roomL, roomR);
    const double mixL = dryL[i] + pumpL[i] * duck + echoL + roomL;
    const double mixR = dryR[i] + pumpR[i] * duck + echoR + roomR;
    // A gentle DC and rumble blocker (about 19 Hz).
    dcOutL = mixL - dcInL + 0.9973 * dcOutL;
    dcOutR = mixR - dcInR + 0.9973 * dcOutR;
    dcInL = mixL;
    dcInR = mixR;
    if (i < static_cast<std::size_t>(warmup)) continue;
    double gain = kMasterGain;
    if (t >= fadeStart) gain *= t >= kTrackMs / 1000.0 ? 0.0 : 0.5 + 0.5 * cosineCycles((t - fadeStart) / kFadeSeconds * 0.5);
    const std::size_t out = i - static_cast<std::size_t>(warmup);
    result.left[out] = static_cast<float>(limit(dcOutL * gain));
    result.right[out] = static_cast<float>(limit(dcOutR * gain));
  }
  return result;
}

Level measure(const StereoBuffer& buffer) {
  Level level;
  double sum = 0.0;
  for (const auto* channel : {&buffer.left, &buffer.right})
    for (float v : *channel) {
      level.peak = std::max(level.peak, static_cast<double>(std::fabs(v)));
      sum += static_cast<double>(v) * v;
    }
  const std::size_t n = buffer.left.size() + buffer.right.size();
  level.rms = n ? std::sqrt(sum / n) : 0.0;
  return level;
}

}  // namespace orvane::music
