// Draws the scene textures the particle, petal, light-ball and cloud effects
// name: 32-bit BMP sprites with their own alpha and JPEG cloud pictures.
// Deterministic: the same program always writes the same bytes.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/picture_decoder.h"

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr int kSprite = 64;
constexpr int kCloud = 256;

struct Rgba {
  float r, g, b, a;
};

float clamp01(float v) { return std::min(1.0f, std::max(0.0f, v)); }

float smoothstep(float edge0, float edge1, float x) {
  const float t = clamp01((x - edge0) / (edge1 - edge0));
  return t * t * (3.0f - 2.0f * t);
}

using Shader = Rgba (*)(float x, float y);  // x, y in [-1, 1], y up

// Renders a sprite with 4 x 4 samples per pixel, averaging premultiplied colour.
std::vector<Rgba> renderSprite(int size, Shader shade) {
  std::vector<Rgba> pixels(static_cast<std::size_t>(size) * size);
  constexpr int kSub = 4;
  for (int py = 0; py < size; ++py) {
    for (int px = 0; px < size; ++px) {
      Rgba sum{0, 0, 0, 0};
      for (int sy = 0; sy < kSub; ++sy) {
        for (int sx = 0; sx < kSub; ++sx) {
          const float x = ((px + (sx + 0.5f) / kSub) / size) * 2.0f - 1.0f;
          const float y = 1.0f - ((py + (sy + 0.5f) / kSub) / size) * 2.0f;
          const Rgba c = shade(x, y);
          sum.r += c.r * c.a;
          sum.g += c.g * c.a;
          sum.b += c.b * c.a;
          sum.a += c.a;
        }
      }
      const float n = kSub * kSub;
      Rgba& out = pixels[static_cast<std::size_t>(py) * size + px];
      out.a = sum.a / n;
      // Colour un-premultiplied, but kept where the sprite fades out so that
      // filtering towards the edge does not darken it.
      out.r = sum.a > 0 ? sum.r / sum.a : 0;
      out.g = sum.a > 0 ? sum.g / sum.a : 0;
      out.b = sum.a > 0 ? sum.b / sum.a : 0;
    }
  }
  return pixels;
}

std::uint8_t toByte(float v) { return static_cast<std::uint8_t>(std::lround(clamp01(v) * 255.0f)); }

void put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}

// A bottom-up 32-bit BMP with a 40-byte header; the fourth byte is alpha.
bool writeBmp32(const std::string& path, int size, const std::vector<Rgba>& pixels) {
  std::vector<std::uint8_t> out;
  const std::uint32_t dataSize = static_cast<std::uint32_t>(size * size * 4);
  out.push_back('B');
  out.push_back('M');
  put32(out, 54 + dataSize);
  put32(out, 0);
  put32(out, 54);
  put32(out, 40);
  put32(out, static_cast<std::uint32_t>(size));
  put32(out, static_cast<std::uint32_t>(size));
  put16(out, 1);
  put16(out, 32);
  put32(out, 0);
  put32(out, dataSize);
  put32(out, 2835);
  put32(out, 2835);
  put32(out, 0);
  put32(out, 0);
  for (int row = size - 1; row >= 0; --row) {
    for (int x = 0; x < size; ++x) {
      const Rgba& p = pixels[static_cast<std::size_t>(row) * size + x];
      std::uint8_t r = toByte(p.r), g = toByte(p.g), b = toByte(p.b);
      // Pure green is the loader's colour key; nudge it so alpha comes from the file.
      if (r == 0 && g == 255 && b == 0) r = 1;
      out.push_back(b);
      out.push_back(g);
      out.push_back(r);
      out.push_back(toByte(p.a));
    }
  }
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool ok = std::fwrite(out.data(), 1, out.size(), file) == out.size();
  return std::fclose(file) == 0 && ok;
}

// --- dust (tsubu) -----------------------------------------------------------

Rgba dustSoft(float x, float y) {
  const float r = std::sqrt(x * x + y * y);
  const float glow = std::exp(-r * r * 9.0f);
  return {1.0f, 0.92f, 0.85f, glow};
}

Rgba dustBokeh(float x, float y) {
  const float r = std::sqrt(x * x + y * y);
  const float disc = 1.0f - smoothstep(0.62f, 0.72f, r);
  const float rim = std::exp(-(r - 0.64f) * (r - 0.64f) * 180.0f);
  return {0.95f, 0.85f, 1.0f, clamp01(disc * 0.35f + rim * 0.8f)};
}

Rgba dustSparkle(float x, float y) {
  const float r = std::sqrt(x * x + y * y);
  const float core = std::exp(-r * r * 30.0f);
  const float rays = std::exp(-std::fabs(x) * 40.0f) * std::exp(-std::fabs(y) * 3.5f) +
                     std::exp(-std::fabs(y) * 40.0f) * std::exp(-std::fabs(x) * 3.5f);
  return {1.0f, 0.95f, 0.8f, clamp01(core + rays * 0.7f)};
}

Rgba dustCluster(float x, float y) {
  const float centres[3][2] = {{-0.3f, -0.2f}, {0.35f, -0.1f}, {0.0f, 0.38f}};
  float a = 0;
  for (const auto& c : centres) {
    const float dx = x - c[0], dy = y - c[1];
    a += std::exp(-(dx * dx + dy * dy) * 28.0f);
  }
  return {1.0f, 0.8f, 0.75f, clamp01(a)};
}

// --- cherry petals (sakura) -----------------------------------------------

// Coverage and shading of one petal along +y, base at (0, -0.85), notch at the tip.
Rgba petal(float x, float y, float width, float length) {
  const float v = (y + 0.85f) / (1.7f * length);  // 0 at the base, 1 at the tip
  if (v < 0.0f || v > 1.05f) return {1, 1, 1, 0};
  const float halfWidth = width * std::pow(std::sin(kPi * std::min(v, 1.0f) * 0.92f + 0.05f), 0.8f) *
                          (0.35f + 0.65f * v);
  const float edge = 1.0f - smoothstep(halfWidth - 0.04f, halfWidth + 0.02f, std::fabs(x));
  const float notch = smoothstep(0.05f, 0.09f, std::fabs(x) + (1.0f - v) * 0.9f);
  const float tip = 1.0f - smoothstep(0.97f, 1.03f, v);
  const float coverage = edge * notch * tip;
  const float vein = std::exp(-x * x * 300.0f) * (1.0f - v) * 0.25f;
  const float blush = 1.0f - v;  // deeper pink at the base
  return {clamp01(1.0f - blush * 0.08f + vein), clamp01(0.82f - blush * 0.3f + vein), clamp01(0.9f - blush * 0.2f + vein),
          coverage};
}

Rgba sakuraPetal(float x, float y) { return petal(x, y, 0.55f, 1.0f); }

Rgba sakuraSlim(float x, float y) {
  const float c = std::cos(0.5f), s = std::sin(0.5f);
  return petal(x * c - y * s, x * s + y * c, 0.42f, 0.95f);
}

Rgba sakuraBlossom(float x, float y) {
  Rgba best{1, 1, 1, 0};
  for (int k = 0; k < 5; ++k) {
    const float angle = k * 2.0f * kPi / 5.0f;
    const float c = std::cos(angle), s = std::sin(angle);
    // Each petal is half size, its base at the centre.
    const float px = (x * c + y * s) * 2.0f;
    const float py = (-x * s + y * c) * 2.0f - 0.85f;
    const Rgba p = petal(px, py, 0.6f, 1.0f);
    if (p.a > best.a) best = p;
  }
  const float r = std::sqrt(x * x + y * y);
  const float centre = std::exp(-r * r * 120.0f);
  return {clamp01(best.r * (1 - centre) + centre), clamp01(best.g * (1 - centre) + centre * 0.85f),
          clamp01(best.b * (1 - centre) + centre * 0.6f), clamp01(best.a + centre)};
}

Rgba sakuraCurled(float x, float y) {
  Rgba p = petal(x * 1.3f, y, 0.5f, 0.9f);
  const float shade = 0.75f + 0.25f * (x + 1.0f) * 0.5f;  // one side turned away from the light
  return {p.r * shade, p.g * shade, p.b * shade, p.a};
}

// --- light balls ------------------------------------------------------------

Rgba ball(float x, float y, Rgba halo) {
  const float r = std::sqrt(x * x + y * y);
  const float core = std::exp(-r * r * 40.0f);
  const float glow = std::exp(-r * r * 5.0f) * (1.0f - smoothstep(0.85f, 1.0f, r));
  return {clamp01(halo.r * (1 - core) + core), clamp01(halo.g * (1 - core) + core), clamp01(halo.b * (1 - core) + core),
          clamp01(glow * 0.8f + core)};
}

Rgba lightBlue(float x, float y) { return ball(x, y, {0.35f, 0.7f, 1.0f, 1}); }
Rgba lightAmber(float x, float y) { return ball(x, y, {1.0f, 0.65f, 0.25f, 1}); }
Rgba lightViolet(float x, float y) { return ball(x, y, {0.85f, 0.45f, 1.0f, 1}); }

// --- clouds -------------------------------------------------------------------

float hash(int x, int y, int seed) {
  std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u + static_cast<std::uint32_t>(y) * 668265263u +
                    static_cast<std::uint32_t>(seed) * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  h ^= h >> 16;
  return static_cast<float>(h & 0xFFFFFF) / static_cast<float>(0xFFFFFF);
}

float valueNoise(float x, float y, int seed) {
  const int ix = static_cast<int>(std::floor(x)), iy = static_cast<int>(std::floor(y));
  const float fx = x - ix, fy = y - iy;
  const float ux = fx * fx * (3 - 2 * fx), uy = fy * fy * (3 - 2 * fy);
  const float a = hash(ix, iy, seed), b = hash(ix + 1, iy, seed);
  const float c = hash(ix, iy + 1, seed), d = hash(ix + 1, iy + 1, seed);
  return (a + (b - a) * ux) + ((c + (d - c) * ux) - (a + (b - a) * ux)) * uy;
}

float fbm(float x, float y, int seed) {
  float sum = 0, amplitude = 0.5f, frequency = 1.0f;
  for (int octave = 0; octave < 6; ++octave) {
    sum += amplitude * valueNoise(x * frequency, y * frequency, seed + octave * 17);
    amplitude *= 0.5f;
    frequency *= 2.03f;
  }
  return sum;
}

// White cloud on black (the cloud draw blends by source colour), fading out
// before the billboard's edge; stretch widens it.
std::vector<std::uint8_t> renderCloud(int seed, float stretch, float density) {
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(kCloud) * kCloud * 3);
  for (int py = 0; py < kCloud; ++py) {
    for (int px = 0; px < kCloud; ++px) {
      const float x = (px + 0.5f) / kCloud * 2 - 1, y = (py + 0.5f) / kCloud * 2 - 1;
      // A puffy outline: the noise pushes the edge in and out, and shades the inside.
      const float n = fbm(x * 2.5f + 10.0f, y * 2.5f + 10.0f, seed);
      const float detail = fbm(x * 6.0f + 3.0f, y * 6.0f + 7.0f, seed + 101);
      const float r = std::sqrt(x * x / (stretch * stretch) + y * y * 1.8f) + (n - 0.5f) * 0.7f;
      const float coverage = 1.0f - smoothstep(0.25f, 0.7f + density * 0.1f, r);
      const float cloud = clamp01(coverage * (0.7f + 0.6f * (detail - 0.5f)) * 1.15f);
      // Lit from above: tops brighter and whiter, undersides a touch blue-grey.
      const float light = 0.8f + 0.2f * clamp01(0.5f - y * 0.5f);
      const std::size_t i = (static_cast<std::size_t>(py) * kCloud + px) * 3;
      rgb[i + 0] = toByte(cloud * light * 0.97f);
      rgb[i + 1] = toByte(cloud * light * 0.98f);
      rgb[i + 2] = toByte(cloud * light);
    }
  }
  return rgb;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
    return 2;
  }
  const std::string folder = std::string(argv[1]) + "/";
  struct Sprite {
    const char* name;
    Shader shade;
  };
  const Sprite sprites[] = {
      {"tsubu1.bmp", dustSoft},        {"tsubu2.bmp", dustBokeh},      {"tsubu3.bmp", dustSparkle},
      {"tsubu4.bmp", dustCluster},     {"sakura1.bmp", sakuraPetal},   {"sakura2.bmp", sakuraSlim},
      {"sakura3.bmp", sakuraBlossom},  {"sakura4.bmp", sakuraCurled},  {"lightball0.bmp", lightBlue},
      {"lightball1.bmp", lightAmber},  {"lightball2.bmp", lightViolet},
  };
  for (const Sprite& sprite : sprites) {
    if (!writeBmp32(folder + sprite.name, kSprite, renderSprite(kSprite, sprite.shade))) {
      std::fprintf(stderr, "cannot write %s%s\n", folder.c_str(), sprite.name);
      return 1;
    }
  }
  struct Cloud {
    const char* name;
    int seed;
    float stretch;
    float density;
  };
  const Cloud clouds[] = {{"cloud2.jpg", 2, 1.0f, 0.55f}, {"cloud3.jpg", 3, 1.3f, 0.5f}, {"cloud4.jpg", 4, 0.9f, 0.6f}};
  for (const Cloud& cloud : clouds) {
    const std::vector<std::uint8_t> rgb = renderCloud(cloud.seed, cloud.stretch, cloud.density);
    if (!platform::writeJpeg(folder + cloud.name, kCloud, kCloud, rgb.data(), 92)) {
      std::fprintf(stderr, "cannot write %s%s\n", folder.c_str(), cloud.name);
      return 1;
    }
  }
  return 0;
}
