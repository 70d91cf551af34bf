// Writers of the picture formats the show ships; see image_files.h.
#include "show/image_files.h"

#include <cmath>
#include <cstdio>
#include <stdexcept>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace orvane::show {
namespace {

void put16(Bytes& out, unsigned value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xFF));
  out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void put32(Bytes& out, std::uint32_t value) {
  put16(out, value & 0xFFFF);
  put16(out, value >> 16);
}

std::uint8_t toByte(double value) {
  const double scaled = value * 255.0 + 0.5;
  return static_cast<std::uint8_t>(scaled < 0 ? 0 : (scaled > 255 ? 255 : scaled));
}

// Halves an image by averaging 2x2 blocks (for the mip levels).
Image halve(const Image& image) {
  Image half(image.width > 1 ? image.width / 2 : 1, image.height > 1 ? image.height / 2 : 1);
  for (int y = 0; y < half.height; ++y) {
    for (int x = 0; x < half.width; ++x) {
      for (int c = 0; c < 4; ++c) {
        int sum = 0;
        for (int dy = 0; dy < 2; ++dy)
          for (int dx = 0; dx < 2; ++dx) {
            const int sx = image.width > 1 ? x * 2 + dx : 0;
            const int sy = image.height > 1 ? y * 2 + dy : 0;
            sum += image.at(sx, sy)[c];
          }
        half.at(x, y)[c] = static_cast<std::uint8_t>((sum + 2) / 4);
      }
    }
  }
  return half;
}

// Run-length coding of one component plane of an HDR scanline: runs of four or
// more equal bytes as (128 + count, value), everything else as literal packets.
void encodeHdrPlane(Bytes& out, const std::vector<std::uint8_t>& plane) {
  const std::size_t size = plane.size();
  std::size_t position = 0;
  while (position < size) {
    std::size_t runStart = position;
    std::size_t runLength = 0;
    while (runStart < size) {
      runLength = 1;
      while (runStart + runLength < size && runLength < 127 && plane[runStart + runLength] == plane[runStart])
        ++runLength;
      if (runLength >= 4) break;
      runStart += runLength;
    }
    if (runLength < 4) runStart = size;
    while (position < runStart) {  // literals before the run
      std::size_t count = runStart - position;
      if (count > 128) count = 128;
      out.push_back(static_cast<std::uint8_t>(count));
      for (std::size_t i = 0; i < count; ++i) out.push_back(plane[position + i]);
      position += count;
    }
    if (runStart < size) {
      out.push_back(static_cast<std::uint8_t>(128 + runLength));
      out.push_back(plane[runStart]);
      position = runStart + runLength;
    }
  }
}

}  // namespace

void Image::set(int x, int y, double r, double g, double b, double a) {
  std::uint8_t* pixel = at(x, y);
  pixel[0] = toByte(r);
  pixel[1] = toByte(g);
  pixel[2] = toByte(b);
  pixel[3] = toByte(a);
}

Bytes encodeBmp(const Image& image, bool withAlpha) {
  const int bytesPerPixel = withAlpha ? 4 : 3;
  const int stride = (image.width * bytesPerPixel + 3) & ~3;
  const std::uint32_t pixelBytes = static_cast<std::uint32_t>(stride * image.height);
  Bytes out;
  out.push_back('B');
  out.push_back('M');
  put32(out, 54 + pixelBytes);
  put32(out, 0);
  put32(out, 54);  // the pixels follow the two headers directly
  put32(out, 40);
  put32(out, static_cast<std::uint32_t>(image.width));
  put32(out, static_cast<std::uint32_t>(image.height));  // positive: bottom row first
  put16(out, 1);
  put16(out, static_cast<unsigned>(bytesPerPixel * 8));
  put32(out, 0);  // no compression
  put32(out, pixelBytes);
  put32(out, 2835);
  put32(out, 2835);
  put32(out, 0);
  put32(out, 0);
  for (int y = image.height - 1; y >= 0; --y) {
    for (int x = 0; x < image.width; ++x) {
      const std::uint8_t* p = image.at(x, y);
      out.push_back(p[2]);
      out.push_back(p[1]);
      out.push_back(p[0]);
      if (withAlpha) out.push_back(p[3]);
    }
    for (int pad = image.width * bytesPerPixel; pad < stride; ++pad) out.push_back(0);
  }
  return out;
}

Bytes encodeTga(const Image& image, bool withAlpha, bool runLength) {
  Bytes out = {0, 0, static_cast<std::uint8_t>(runLength ? 10 : 2), 0, 0, 0, 0, 0, 0, 0, 0, 0};
  put16(out, static_cast<unsigned>(image.width));
  put16(out, static_cast<unsigned>(image.height));
  out.push_back(static_cast<std::uint8_t>(withAlpha ? 32 : 24));
  // Top-left origin: the rows are written top row first, which is also the order
  // in which the show's loader places them.
  out.push_back(static_cast<std::uint8_t>(0x20 | (withAlpha ? 8 : 0)));
  const int channels = withAlpha ? 4 : 3;
  auto pushPixel = [&](const std::uint8_t* p) {
    out.push_back(p[2]);
    out.push_back(p[1]);
    out.push_back(p[0]);
    if (withAlpha) out.push_back(p[3]);
  };
  auto same = [&](const std::uint8_t* a, const std::uint8_t* b) {
    for (int c = 0; c < channels; ++c)
      if (a[c] != b[c]) return false;
    return true;
  };
  const int count = image.width * image.height;
  auto pixel = [&](int index) { return image.at(index % image.width, index / image.width); };
  if (!runLength) {
    for (int i = 0; i < count; ++i) pushPixel(pixel(i));
    return out;
  }
  int i = 0;
  while (i < count) {
    int run = 1;
    while (i + run < count && run < 128 && same(pixel(i), pixel(i + run))) ++run;
    if (run >= 2) {
      out.push_back(static_cast<std::uint8_t>(127 + run));
      pushPixel(pixel(i));
      i += run;
      continue;
    }
    int raw = 1;  // extend the raw packet until a run of two starts
    while (i + raw < count && raw < 128 && !(i + raw + 1 < count && same(pixel(i + raw), pixel(i + raw + 1)))) ++raw;
    out.push_back(static_cast<std::uint8_t>(raw - 1));
    for (int k = 0; k < raw; ++k) pushPixel(pixel(i + k));
    i += raw;
  }
  return out;
}

Bytes encodeHdr(const FloatImage& image) {
  if (image.width < 8 || image.width > 32767) throw std::runtime_error("HDR scanlines must be 8 to 32767 pixels");
  const std::string header = "#?RADIANCE\n# the Orvane dusk sky\nFORMAT=32-bit_rle_rgbe\n\n-Y " +
                             std::to_string(image.height) + " +X " + std::to_string(image.width) + "\n";
  Bytes out(header.begin(), header.end());
  std::vector<std::uint8_t> planes[4];
  for (auto& plane : planes) plane.resize(static_cast<std::size_t>(image.width));
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const float* p = &image.rgb[(static_cast<std::size_t>(y) * image.width + x) * 3];
      // The show's loader reads a pixel as mantissa * 2^(E - 128) in 0..255 units.
      const double r = p[0] * 255.0, g = p[1] * 255.0, b = p[2] * 255.0;
      double v = r > g ? r : g;
      v = v > b ? v : b;
      std::uint8_t rgbe[4] = {0, 0, 0, 0};
      if (v >= 1e-6) {
        int exponent = 0;
        std::frexp(v, &exponent);  // exact: only splits the binary exponent off
        const double scale = std::ldexp(1.0, 8 - exponent);
        rgbe[0] = static_cast<std::uint8_t>(r * scale);
        rgbe[1] = static_cast<std::uint8_t>(g * scale);
        rgbe[2] = static_cast<std::uint8_t>(b * scale);
        rgbe[3] = static_cast<std::uint8_t>(exponent + 120);
      }
      for (int c = 0; c < 4; ++c) planes[c][static_cast<std::size_t>(x)] = rgbe[c];
    }
    out.push_back(2);
    out.push_back(2);
    out.push_back(static_cast<std::uint8_t>(image.width >> 8));
    out.push_back(static_cast<std::uint8_t>(image.width & 0xFF));
    for (const auto& plane : planes) encodeHdrPlane(out, plane);
  }
  return out;
}

Bytes encodeDdsCube(const std::array<Image, 6>& faces) {
  const int size = faces[0].width;
  int levels = 1;
  while ((size >> (levels - 1)) > 1) ++levels;
  Bytes out;
  put32(out, 0x20534444);  // "DDS "
  put32(out, 124);
  put32(out, 0x1 | 0x2 | 0x4 | 0x8 | 0x1000 | 0x20000);  // caps, height, width, pitch, pixel format, mip count
  put32(out, static_cast<std::uint32_t>(size));
  put32(out, static_cast<std::uint32_t>(size));
  put32(out, static_cast<std::uint32_t>(size * 4));  // bytes a row
  put32(out, 0);                                     // depth
  put32(out, static_cast<std::uint32_t>(levels));
  for (int i = 0; i < 11; ++i) put32(out, 0);
  put32(out, 32);   // pixel format size
  put32(out, 0x40);  // RGB, no alpha
  put32(out, 0);
  put32(out, 32);  // bits a pixel, then the masks of blue-green-red-unused bytes
  put32(out, 0x00FF0000);
  put32(out, 0x0000FF00);
  put32(out, 0x000000FF);
  put32(out, 0);
  put32(out, 0x1000 | 0x8 | 0x400000);  // texture, complex, mip map
  put32(out, 0xFE00);                   // cube map with all six faces
  put32(out, 0);
  put32(out, 0);
  put32(out, 0);
  for (const Image& face : faces) {
    Image level = face;
    for (int l = 0; l < levels; ++l) {
      for (int y = 0; y < level.height; ++y)
        for (int x = 0; x < level.width; ++x) {
          const std::uint8_t* pixel = level.at(x, y);
          out.insert(out.end(), {pixel[2], pixel[1], pixel[0], 255});
        }
      level = halve(level);
    }
  }
  return out;
}

Bytes encodeJpeg(const Image& image, int quality) {
  std::vector<std::uint8_t> rgb;
  rgb.reserve(static_cast<std::size_t>(image.width) * image.height * 3);
  for (std::size_t i = 0; i < image.rgba.size(); i += 4) rgb.insert(rgb.end(), &image.rgba[i], &image.rgba[i] + 3);
  Bytes out;
  auto append = [](void* context, void* data, int size) {
    auto* bytes = static_cast<Bytes*>(context);
    bytes->insert(bytes->end(), static_cast<std::uint8_t*>(data), static_cast<std::uint8_t*>(data) + size);
  };
  if (!stbi_write_jpg_to_func(append, &out, image.width, image.height, 3, rgb.data(), quality))
    throw std::runtime_error("JPEG encoding failed");
  return out;
}

void writeFile(const std::string& path, const Bytes& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) throw std::runtime_error("cannot write " + path);
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  if (std::fclose(file) != 0 || !written) throw std::runtime_error("cannot write " + path);
}

void writeText(const std::string& path, const std::string& text) { writeFile(path, Bytes(text.begin(), text.end())); }

}  // namespace orvane::show
