// Draws the setup dialog's artwork: cherry blossoms on a dusk sky with falling
// petals, written as a 24-bit BMP. Deterministic: the same program always writes
// the same bytes, so the shipped picture can be checked against it.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

// The picture control's size at two pixels per dialog unit.
constexpr int kWidth = 122;
constexpr int kHeight = 328;
constexpr int kSupersample = 4;
constexpr int kCanvasWidth = kWidth * kSupersample;
constexpr int kCanvasHeight = kHeight * kSupersample;
constexpr float kPi = 3.14159265358979f;

struct Colour {
  float r, g, b;
};

Colour mix(Colour a, Colour b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

float clamp01(float v) { return std::min(1.0f, std::max(0.0f, v)); }

float smoothstep(float edge0, float edge1, float x) {
  const float t = clamp01((x - edge0) / (edge1 - edge0));
  return t * t * (3.0f - 2.0f * t);
}

// A fixed linear congruential generator: the standard library's engines are
// fixed too, but their distributions are not the same everywhere.
class Random {
 public:
  explicit Random(std::uint32_t seed) : mState(seed) {}
  float next() {
    mState = mState * 1664525u + 1013904223u;
    return static_cast<float>(mState >> 8) / 16777216.0f;
  }
  float range(float low, float high) { return low + (high - low) * next(); }

 private:
  std::uint32_t mState;
};

// Coordinates are in output pixels; the canvas holds kSupersample samples per pixel
// in each direction and is averaged down at the end.
class Canvas {
 public:
  Canvas() : mPixels(static_cast<std::size_t>(kCanvasWidth) * kCanvasHeight) {}

  template <class Shade>
  void fill(Shade shade) {
    for (int y = 0; y < kCanvasHeight; ++y) {
      for (int x = 0; x < kCanvasWidth; ++x) {
        at(x, y) = shade(sampleX(x), sampleY(y));
      }
    }
  }

  // Blends colour over the box around (cx, cy) with the coverage the function gives.
  template <class Coverage>
  void blend(float cx, float cy, float radius, Colour colour, Coverage coverage) {
    const int x0 = std::max(0, static_cast<int>((cx - radius) * kSupersample));
    const int x1 = std::min(kCanvasWidth - 1, static_cast<int>((cx + radius) * kSupersample) + 1);
    const int y0 = std::max(0, static_cast<int>((cy - radius) * kSupersample));
    const int y1 = std::min(kCanvasHeight - 1, static_cast<int>((cy + radius) * kSupersample) + 1);
    for (int y = y0; y <= y1; ++y) {
      for (int x = x0; x <= x1; ++x) {
        const float alpha = clamp01(coverage(sampleX(x) - cx, sampleY(y) - cy));
        if (alpha > 0.0f) at(x, y) = mix(at(x, y), colour, alpha);
      }
    }
  }

  // Blends colour over the whole canvas with the coverage the function gives
  // at each sample (output-pixel coordinates).
  template <class Coverage>
  void blendAll(Colour colour, Coverage coverage) {
    for (int y = 0; y < kCanvasHeight; ++y) {
      for (int x = 0; x < kCanvasWidth; ++x) {
        const float alpha = clamp01(coverage(sampleX(x), sampleY(y)));
        if (alpha > 0.0f) at(x, y) = mix(at(x, y), colour, alpha);
      }
    }
  }

  // Additive light, for glows.
  template <class Intensity>
  void light(float cx, float cy, float radius, Colour colour, Intensity intensity) {
    const int x0 = std::max(0, static_cast<int>((cx - radius) * kSupersample));
    const int x1 = std::min(kCanvasWidth - 1, static_cast<int>((cx + radius) * kSupersample) + 1);
    const int y0 = std::max(0, static_cast<int>((cy - radius) * kSupersample));
    const int y1 = std::min(kCanvasHeight - 1, static_cast<int>((cy + radius) * kSupersample) + 1);
    for (int y = y0; y <= y1; ++y) {
      for (int x = x0; x <= x1; ++x) {
        const float amount = intensity(sampleX(x) - cx, sampleY(y) - cy);
        Colour& pixel = at(x, y);
        pixel.r += colour.r * amount;
        pixel.g += colour.g * amount;
        pixel.b += colour.b * amount;
      }
    }
  }

  // Rows bottom to top, blue-green-red, each padded to four bytes.
  std::vector<std::uint8_t> bmpPixels() const {
    const int rowBytes = (kWidth * 3 + 3) & ~3;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(rowBytes) * kHeight, 0);
    for (int y = 0; y < kHeight; ++y) {
      std::uint8_t* row = bytes.data() + static_cast<std::size_t>(kHeight - 1 - y) * rowBytes;
      for (int x = 0; x < kWidth; ++x) {
        Colour sum{0, 0, 0};
        for (int sy = 0; sy < kSupersample; ++sy) {
          for (int sx = 0; sx < kSupersample; ++sx) {
            const Colour& c = mPixels[static_cast<std::size_t>(y * kSupersample + sy) * kCanvasWidth +
                                      x * kSupersample + sx];
            sum.r += c.r;
            sum.g += c.g;
            sum.b += c.b;
          }
        }
        const float scale = 1.0f / (kSupersample * kSupersample);
        row[x * 3 + 0] = toByte(sum.b * scale);
        row[x * 3 + 1] = toByte(sum.g * scale);
        row[x * 3 + 2] = toByte(sum.r * scale);
      }
    }
    return bytes;
  }

 private:
  static float sampleX(int x) { return (static_cast<float>(x) + 0.5f) / kSupersample; }
  static float sampleY(int y) { return (static_cast<float>(y) + 0.5f) / kSupersample; }
  static std::uint8_t toByte(float v) {
    return static_cast<std::uint8_t>(std::lround(clamp01(v) * 255.0f));
  }
  Colour& at(int x, int y) { return mPixels[static_cast<std::size_t>(y) * kCanvasWidth + x]; }

  std::vector<Colour> mPixels;
};

Colour sky(float y) {
  struct Stop {
    float at;
    Colour colour;
  };
  static const Stop stops[] = {{0.00f, {0.05f, 0.05f, 0.15f}},
                               {0.40f, {0.22f, 0.14f, 0.38f}},
                               {0.72f, {0.78f, 0.44f, 0.56f}},
                               {0.88f, {0.98f, 0.70f, 0.62f}},
                               {1.00f, {0.99f, 0.84f, 0.70f}}};
  const float t = clamp01(y / kHeight);
  for (std::size_t i = 1; i < std::size(stops); ++i) {
    if (t <= stops[i].at) {
      const float local = (t - stops[i - 1].at) / (stops[i].at - stops[i - 1].at);
      return mix(stops[i - 1].colour, stops[i].colour, smoothstep(0.0f, 1.0f, local));
    }
  }
  return stops[std::size(stops) - 1].colour;
}

// A branch: a quadratic curve from a to c bent towards b, thinning to its tip.
struct Branch {
  float ax, ay, bx, by, cx, cy;
  float baseWidth, tipWidth;
  void pointAt(float t, float& x, float& y) const {
    const float u = 1.0f - t;
    x = u * u * ax + 2.0f * u * t * bx + t * t * cx;
    y = u * u * ay + 2.0f * u * t * by + t * t * cy;
  }
};

void drawBranch(Canvas& canvas, const Branch& branch, Colour bark) {
  constexpr int kSteps = 240;
  for (int i = 0; i <= kSteps; ++i) {
    const float t = static_cast<float>(i) / kSteps;
    float x = 0;
    float y = 0;
    branch.pointAt(t, x, y);
    const float radius = (branch.baseWidth + (branch.tipWidth - branch.baseWidth) * t) * 0.5f;
    canvas.blend(x, y, radius + 1.0f, bark, [radius](float dx, float dy) {
      return radius + 0.5f - std::sqrt(dx * dx + dy * dy);
    });
  }
}

void drawPetal(Canvas& canvas, float x, float y, float length, float width, float angle,
               Colour colour, float opacity) {
  const float c = std::cos(angle);
  const float s = std::sin(angle);
  canvas.blend(x, y, length + 1.0f, colour, [=](float dx, float dy) {
    // An ellipse with a notch at its outer end, the cherry petal's mark.
    const float along = dx * c + dy * s;
    const float across = -dx * s + dy * c;
    const float ellipse = (along * along) / (length * length) + (across * across) / (width * width);
    float coverage = (1.0f - ellipse) * length * 0.9f;
    const float notchX = along - length * 0.95f;
    const float notch = std::sqrt(notchX * notchX + across * across);
    coverage = std::min(coverage, (notch - width * 0.35f) * 2.0f);
    return coverage * opacity;
  });
}

void drawBlossom(Canvas& canvas, Random& random, float x, float y, float size) {
  const float turn = random.range(0.0f, 2.0f * kPi);
  const Colour pale{1.0f, 0.86f, 0.91f};
  const Colour deep{0.96f, 0.58f, 0.74f};
  canvas.light(x, y, size * 2.2f, {0.55f, 0.25f, 0.40f}, [size](float dx, float dy) {
    return 0.35f * std::exp(-(dx * dx + dy * dy) / (size * size * 1.4f));
  });
  for (int petal = 0; petal < 5; ++petal) {
    const float angle = turn + petal * 2.0f * kPi / 5.0f;
    const float reach = size * 0.5f;
    const Colour colour = mix(pale, deep, random.range(0.0f, 0.45f));
    drawPetal(canvas, x + std::cos(angle) * reach, y + std::sin(angle) * reach, size * 0.55f,
              size * 0.42f, angle, colour, 1.0f);
  }
  canvas.blend(x, y, size * 0.3f, {0.80f, 0.22f, 0.45f}, [size](float dx, float dy) {
    return (size * 0.22f - std::sqrt(dx * dx + dy * dy)) * 2.0f;
  });
  canvas.blend(x, y, size * 0.12f, {1.0f, 0.90f, 0.55f}, [size](float dx, float dy) {
    return (size * 0.09f - std::sqrt(dx * dx + dy * dy)) * 3.0f;
  });
}

void drawPicture(Canvas& canvas) {
  canvas.fill([](float, float y) { return sky(y); });

  Random random(0x0A11CE5u);
  // Stars in the dark upper sky, fading out where the dusk begins.
  for (int star = 0; star < 46; ++star) {
    const float x = random.range(2.0f, kWidth - 2.0f);
    const float y = random.range(2.0f, kHeight * 0.5f);
    const float brightness = random.range(0.25f, 0.9f) * (1.0f - y / (kHeight * 0.5f));
    canvas.light(x, y, 2.5f, {1.0f, 0.95f, 1.0f}, [brightness](float dx, float dy) {
      return brightness * std::exp(-(dx * dx + dy * dy) * 2.2f);
    });
  }

  // A low sun behind the haze.
  const float sunX = kWidth * 0.62f;
  const float sunY = kHeight * 0.80f;
  canvas.light(sunX, sunY, 70.0f, {1.0f, 0.62f, 0.45f}, [](float dx, float dy) {
    return 0.55f * std::exp(-(dx * dx + dy * dy) / 900.0f);
  });
  canvas.blend(sunX, sunY, 16.0f, {1.0f, 0.93f, 0.80f}, [](float dx, float dy) {
    return (13.0f - std::sqrt(dx * dx + dy * dy)) * 0.8f;
  });

  // Two ranges of hills against the sun, the nearer one darker.
  auto hills = [&canvas](float base, float amplitude, float phase, Colour colour) {
    canvas.blendAll(colour, [=](float x, float y) {
      const float top = base + amplitude * std::sin(x * 0.045f + phase) +
                        amplitude * 0.45f * std::sin(x * 0.13f + phase * 2.0f);
      return y > top ? 1.0f : 0.0f;
    });
  };
  hills(kHeight * 0.87f, 6.0f, 1.2f, {0.46f, 0.24f, 0.40f});
  hills(kHeight * 0.93f, 5.0f, 4.0f, {0.17f, 0.08f, 0.19f});

  // The branches, entering from the edges.
  const Colour bark{0.15f, 0.07f, 0.13f};
  const Branch branches[] = {
      {-4.0f, 34.0f, 52.0f, 16.0f, 124.0f, 78.0f, 9.0f, 2.0f},
      {30.0f, 26.0f, 50.0f, 60.0f, 66.0f, 118.0f, 4.0f, 1.0f},
      {84.0f, 42.0f, 100.0f, 20.0f, 112.0f, 8.0f, 3.5f, 1.0f},
      {128.0f, 158.0f, 74.0f, 150.0f, 24.0f, 206.0f, 7.0f, 1.5f},
      {96.0f, 156.0f, 76.0f, 126.0f, 54.0f, 122.0f, 3.0f, 1.0f},
  };
  for (const Branch& branch : branches) drawBranch(canvas, branch, bark);

  // Blossoms cluster along each branch, denser towards the tips.
  const int blossomCounts[] = {13, 6, 4, 11, 4};
  for (std::size_t index = 0; index < std::size(branches); ++index) {
    for (int blossom = 0; blossom < blossomCounts[index]; ++blossom) {
      const float t = random.range(0.18f, 1.0f);
      float x = 0;
      float y = 0;
      branches[index].pointAt(t, x, y);
      // One draw per statement: the order of function arguments is the compiler's.
      const float size = random.range(6.0f, 9.5f);
      const float dy = random.range(-6.0f, 6.0f);
      const float dx = random.range(-7.0f, 7.0f);
      drawBlossom(canvas, random, x + dx, y + dy, size);
    }
  }

  // Petals drifting down through the dusk.
  for (int petal = 0; petal < 34; ++petal) {
    const float x = random.range(4.0f, kWidth - 4.0f);
    const float y = random.range(kHeight * 0.30f, kHeight * 0.97f);
    const float length = random.range(2.2f, 3.8f);
    const Colour colour = mix({1.0f, 0.86f, 0.91f}, {0.95f, 0.60f, 0.75f}, random.next());
    const float opacity = random.range(0.55f, 0.95f);
    const float angle = random.range(0.0f, 2.0f * kPi);
    drawPetal(canvas, x, y, length, length * 0.6f, angle, colour, opacity);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s output.bmp\n", argv[0]);
    return 2;
  }
  Canvas canvas;
  drawPicture(canvas);
  const std::vector<std::uint8_t> pixels = canvas.bmpPixels();

  std::vector<std::uint8_t> file;
  auto put16 = [&file](std::uint32_t v) {
    file.push_back(static_cast<std::uint8_t>(v));
    file.push_back(static_cast<std::uint8_t>(v >> 8));
  };
  auto put32 = [&put16](std::uint32_t v) {
    put16(v & 0xFFFF);
    put16(v >> 16);
  };
  const std::uint32_t headerBytes = 14 + 40;
  file.push_back('B');
  file.push_back('M');
  put32(headerBytes + static_cast<std::uint32_t>(pixels.size()));
  put32(0);
  put32(headerBytes);
  put32(40);
  put32(kWidth);
  put32(kHeight);
  put16(1);
  put16(24);
  put32(0);
  put32(static_cast<std::uint32_t>(pixels.size()));
  put32(2835);  // 72 dots per inch
  put32(2835);
  put32(0);
  put32(0);
  file.insert(file.end(), pixels.begin(), pixels.end());

  std::FILE* out = std::fopen(argv[1], "wb");
  if (!out) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  const bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
  return (std::fclose(out) == 0 && written) ? 0 : 1;
}
