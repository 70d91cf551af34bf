// The show's pictures, painted from code; see textures.h.
#include "show/textures.h"

#include <cstdint>

namespace orvane::show {
namespace {

double hash(int x, int y, int seed) {
  std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u + static_cast<std::uint32_t>(y) * 668265263u +
                    static_cast<std::uint32_t>(seed) * 2147483647u;
  h = (h ^ (h >> 13)) * 1274126177u;
  h ^= h >> 16;
  return static_cast<double>(h & 0xFFFFFF) / 16777215.0;
}

// Smooth value noise with an integer period in x and y (so textures tile).
double valueNoise(double x, double y, int period, int seed) {
  const int ix = static_cast<int>(x < 0 ? x - 1 : x), iy = static_cast<int>(y < 0 ? y - 1 : y);
  const double fx = smooth(x - ix), fy = smooth(y - iy);
  auto at = [&](int cx, int cy) {
    cx = ((cx % period) + period) % period;
    cy = ((cy % period) + period) % period;
    return hash(cx, cy, seed);
  };
  return mix(mix(at(ix, iy), at(ix + 1, iy), fx), mix(at(ix, iy + 1), at(ix + 1, iy + 1), fx), fy);
}

double fractal(double x, double y, int period, int seed, int octaves) {
  double sum = 0, amplitude = 0.5, total = 0;
  for (int o = 0; o < octaves; ++o) {
    sum += valueNoise(x, y, period, seed + o * 17) * amplitude;
    total += amplitude;
    x *= 2;
    y *= 2;
    period *= 2;
    amplitude *= 0.5;
  }
  return sum / total;
}

Vec3 mixColour(Vec3 a, Vec3 b, double t) { return lerp(a, b, clamp01(t)); }

// 5x7 capitals, one string of 35 cells per letter, '#' lit.
const char* glyph(char c) {
  switch (c) {
    case 'A': return " ### #   ##   #######   ##   ##   #";
    case 'B': return "#### #   ##   ##### #   ##   ##### ";
    case 'C': return " ### #   ##    #    #    #   # ### ";
    case 'D': return "#### #   ##   ##   ##   ##   ##### ";
    case 'E': return "######    #    #### #    #    #####";
    case 'F': return "######    #    #### #    #    #    ";
    case 'G': return " ### #   ##    # ####   ##   # ####";
    case 'H': return "#   ##   ##   #######   ##   ##   #";
    case 'I': return " ###   #    #    #    #    #   ### ";
    case 'K': return "#   ##  # # #  ##   # #  #  # #   #";
    case 'L': return "#    #    #    #    #    #    #####";
    case 'M': return "#   ### ### # ##   ##   ##   ##   #";
    case 'N': return "#   ###  ## # ##  ###   ##   ##   #";
    case 'O': return " ### #   ##   ##   ##   ##   # ### ";
    case 'P': return "#### #   ##   ##### #    #    #    ";
    case 'R': return "#### #   ##   ##### # #  #  # #   #";
    case 'S': return " #####    #     ###     #    ##### ";
    case 'T': return "#####  #    #    #    #    #    #  ";
    case 'U': return "#   ##   ##   ##   ##   ##   # ### ";
    case 'V': return "#   ##   ##   ##   # # #  # #   #  ";
    case 'W': return "#   ##   ##   ##   ## # ### ###   #";
    case 'Y': return "#   ##   # # #   #    #    #    #  ";
    case 'Z': return "#####    #   #   #   #   #    #####";
    case '.': return "                              ##   ";
    default: return nullptr;
  }
}

}  // namespace

Vec3 skyColour(Vec3 d) {
  d = normalized(d);
  const Vec3 zenith{0.09, 0.09, 0.26};
  const Vec3 high{0.36, 0.27, 0.52};
  const Vec3 low{0.86, 0.50, 0.58};
  const Vec3 horizon{1.00, 0.68, 0.48};
  const Vec3 ground{0.20, 0.13, 0.22};
  Vec3 colour;
  if (d.y >= 0) {
    const double h = d.y;
    colour = h < 0.08 ? mixColour(horizon, low, h / 0.08)
                      : (h < 0.35 ? mixColour(low, high, (h - 0.08) / 0.27) : mixColour(high, zenith, (h - 0.35) / 0.65));
    // Soft clouds, lit pink from below, over the upper half.
    const double scale = 1.0 / (h + 0.25);
    const double cloud = fractal(d.x * scale * 2.2 + 8.0, d.z * scale * 2.2 + 8.0, 64, 7, 5);
    const double amount = smooth((cloud - 0.5) / 0.25) * smooth(h / 0.15) * 0.55;
    colour = mixColour(colour, Vec3{1.0, 0.78, 0.80} * (0.65 + 0.35 * (1 - h)), amount);
  } else {
    colour = mixColour(horizon * 0.8, ground, -d.y / 0.25);
  }
  // The setting sun low in the west (+x, a little towards -z) with a wide glow.
  const Vec3 sun = normalized(Vec3{0.85, 0.10, -0.5});
  const double facing = dot(d, sun);
  if (facing > 0) {
    const double glow = facing * facing * facing * facing;
    colour = colour + Vec3{1.0, 0.55, 0.30} * (glow * glow * 0.45 + glow * 0.2);
    if (facing > 0.9985) colour = Vec3{1.0, 0.95, 0.85};
  }
  return {clamp01(colour.x), clamp01(colour.y), clamp01(colour.z)};
}

FloatImage paintSky(int width, int height) {
  FloatImage image;
  image.width = width;
  image.height = height;
  image.rgb.resize(static_cast<std::size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    const double polar = kPi * (y + 0.5) / height;
    for (int x = 0; x < width; ++x) {
      const double azimuth = 2 * kPi * (x + 0.5) / width;
      const Vec3 d{sine(polar) * cosine(azimuth), cosine(polar), sine(polar) * sine(azimuth)};
      Vec3 c = skyColour(d);
      // A few stars in the deep blue.
      if (d.y > 0.55 && hash(x, y, 99) > 0.9975) c = c + Vec3{0.6, 0.6, 0.7} * ((d.y - 0.55) / 0.45);
      float* p = &image.rgb[(static_cast<std::size_t>(y) * width + x) * 3];
      p[0] = static_cast<float>(clamp01(c.x));
      p[1] = static_cast<float>(clamp01(c.y));
      p[2] = static_cast<float>(clamp01(c.z));
    }
  }
  return image;
}

std::array<Image, 6> paintEnvironmentCube(int size) {
  std::array<Image, 6> faces;
  for (int f = 0; f < 6; ++f) {
    faces[f] = Image(size, size);
    for (int j = 0; j < size; ++j)
      for (int i = 0; i < size; ++i) {
        const double sc = 2.0 * (i + 0.5) / size - 1, tc = 2.0 * (j + 0.5) / size - 1;
        // OpenGL's cube face orientation: row j is t, column i is s.
        Vec3 d;
        switch (f) {
          case 0: d = {1, -tc, -sc}; break;
          case 1: d = {-1, -tc, sc}; break;
          case 2: d = {sc, 1, tc}; break;
          case 3: d = {sc, -1, -tc}; break;
          case 4: d = {sc, -tc, 1}; break;
          default: d = {-sc, -tc, -1}; break;
        }
        const Vec3 c = skyColour(d);
        faces[f].set(i, j, c.x, c.y, c.z);
      }
  }
  return faces;
}

Image paintBark(int size) {
  Image image(size, size);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const double u = static_cast<double>(x) / size, v = static_cast<double>(y) / size;
      const double grain = fractal(u * 16, v * 3, 16, 3, 4);
      const double rings = 0.5 + 0.5 * sine((v * 40 + grain * 6) * kPi);
      const double shade = 0.45 + 0.35 * grain + 0.2 * rings * rings;
      image.set(x, y, 0.30 * shade, 0.20 * shade, 0.19 * shade);
    }
  return image;
}

Image paintGround(int size) {
  Image image(size, size);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const double u = static_cast<double>(x) / size * 8, v = static_cast<double>(y) / size * 8;
      const double moss = fractal(u, v, 8, 11, 5);
      const double speck = hash(x, y, 5);
      Vec3 c = mixColour(Vec3{0.22, 0.30, 0.16}, Vec3{0.42, 0.58, 0.30}, moss * 1.3 - 0.15);
      if (speck > 0.985) c = Vec3{0.95, 0.72, 0.80};  // fallen petals
      image.set(x, y, c.x, c.y, c.z);
    }
  return image;
}

Image paintMetal(int size) {
  Image image(size, size);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const double u = static_cast<double>(x) / size, v = static_cast<double>(y) / size;
      const double brushed = fractal(u * 2, v * 64, 64, 21, 3);
      const double band = (static_cast<int>(v * 8) % 2 == 0) ? 1.0 : 0.86;
      const double seam = (y % (size / 8) < 2) ? 0.6 : 1.0;
      const double s = (0.7 + 0.3 * brushed) * band * seam;
      image.set(x, y, 0.86 * s, 0.80 * s, 0.84 * s);
    }
  return image;
}

Image paintPetal(int size) {
  Image image(size, size);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      // A petal: an ellipse pointing up with a notch at the tip.
      const double px = (x + 0.5) / size * 2 - 1, py = 1 - (y + 0.5) / size * 2;
      const double width = 0.62 * (1 - py * py * 0.35) * (py > -0.9 ? 1 : 0.5);
      const double ex = px / width, ey = (py + 0.05) / 0.95;
      const double r = ex * ex + ey * ey;
      const bool notch = py > 0.55 && px * px * 9 < (py - 0.55) * 1.6;
      const double edge = clamp01((1 - r) * 6);
      const double alpha = notch ? 0 : edge;
      const double centre = clamp01(1 - (py + 1) * 0.8);
      Vec3 c = mixColour(Vec3{1.0, 0.80, 0.88}, Vec3{0.95, 0.45, 0.62}, centre);
      c = c * (0.92 + 0.08 * hash(x, y, 3));
      image.set(x, y, c.x, c.y, c.z, alpha);
    }
  return image;
}

Image paintLeaf(int size) {
  Image image(size, size);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const double px = (x + 0.5) / size * 2 - 1, py = 1 - (y + 0.5) / size * 2;
      const double half = 0.55 * (1 - py * py);
      const bool inside = px * px < half * half;
      const double vein = clamp01(1 - (px < 0 ? -px : px) * 30);
      const double side = (px < 0 ? -px : px) / (half + 0.001);
      Vec3 c = mixColour(Vec3{0.40, 0.68, 0.28}, Vec3{0.20, 0.42, 0.18}, side);
      c = mixColour(c, Vec3{0.75, 0.88, 0.55}, vein);
      // Cut-out leaves: fully opaque or fully clear, which packs well in run-length form.
      if (inside)
        image.set(x, y, c.x, c.y, c.z, 1);
      else
        image.set(x, y, 0, 0, 0, 0);
    }
  return image;
}

Image paintBoxTile(int size) {
  Image image(size, size);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const double u = (x + 0.5) / size, v = (y + 0.5) / size;
      const double du = u < 0.5 ? u : 1 - u, dv = v < 0.5 ? v : 1 - v;
      const double border = du < dv ? du : dv;
      const double frame = clamp01(1 - (border - 0.04) / 0.05);
      const double inner = fractal(u * 4, v * 4, 4, 31, 3);
      Vec3 c = mixColour(Vec3{0.96, 0.86, 0.90}, Vec3{0.88, 0.70, 0.80}, inner);
      c = mixColour(c, Vec3{1.0, 0.97, 0.92}, frame);
      image.set(x, y, c.x, c.y, c.z);
    }
  return image;
}

Image paintVignette(int size) {
  Image image(size, size);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const double px = (x + 0.5) / size * 2 - 1, py = (y + 0.5) / size * 2 - 1;
      const double r = squareRoot(px * px * 0.8 + py * py);
      const double v = 1 - 0.55 * smooth((r - 0.45) / 0.95);
      // Slightly warm in the middle, slightly violet towards the corners.
      image.set(x, y, v * (1.0 - 0.02 * r), v * (0.98 - 0.05 * r), v * (0.96 + 0.02 * r));
    }
  return image;
}

Image paintLettering(int width, int height, int lineHeight, const std::array<std::string, 4>& lines) {
  Image image(width, height);
  for (int line = 0; line < 4; ++line) {
    const std::string& text = lines[static_cast<std::size_t>(line)];
    const int cell = lineHeight / 9;  // pixels per font cell
    const int textWidth = static_cast<int>(text.size()) * 6 * cell - cell;
    const int left = (width - textWidth) / 2;
    const int top = line * lineHeight + cell;
    for (std::size_t i = 0; i < text.size(); ++i) {
      const char* g = glyph(text[i]);
      if (!g) continue;
      for (int gy = 0; gy < 7; ++gy)
        for (int gx = 0; gx < 5; ++gx) {
          if (g[gy * 5 + gx] != '#') continue;
          for (int py = 0; py < cell; ++py)
            for (int px = 0; px < cell; ++px) {
              const int x = left + (static_cast<int>(i) * 6 + gx) * cell + px;
              const int y = top + gy * cell + py;
              if (x >= 0 && x < width && y >= 0 && y < height) image.set(x, y, 1, 1, 1, 1);
            }
        }
    }
  }
  // A soft one-pixel halo keeps the letters readable over bright sky.
  Image result = image;
  for (int y = 1; y + 1 < height; ++y)
    for (int x = 1; x + 1 < width; ++x) {
      if (image.at(x, y)[3]) continue;
      int neighbours = 0;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) neighbours += image.at(x + dx, y + dy)[3] ? 1 : 0;
      if (neighbours) result.set(x, y, 0.35, 0.20, 0.40, 0.45);
    }
  return result;
}

}  // namespace orvane::show
