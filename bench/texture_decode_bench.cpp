// Decode throughput of the run-length HDR and TGA readers and of the JPEG path on
// 2048 x 2048 pictures generated here, against only reading the same files into
// memory. Throughput is counted in bytes of file per second.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "framework/types.h"
#include "platform/picture_decoder.h"
#include "resource/hdr_reader.h"
#include "resource/tga_reader.h"

namespace {

constexpr u32 kSide = 2048;

// A sky-like picture: long equal stretches in some channels, changing values in others.
void pixelAt(u32 x, u32 y, u8 out[4]) {
  out[0] = static_cast<u8>(x / 16);
  out[1] = static_cast<u8>(y / 8);
  out[2] = static_cast<u8>((x * 7 + y * 3) >> 3);
  out[3] = static_cast<u8>(128 + (x >> 9));
}

std::string makeHdr() {
  std::string out = "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y " + std::to_string(kSide) + " +X " +
                    std::to_string(kSide) + "\n";
  std::vector<u8> plane(kSide);
  for (u32 y = 0; y < kSide; ++y) {
    out += '\x02';
    out += '\x02';
    out += static_cast<char>(kSide >> 8);
    out += static_cast<char>(kSide & 0xFF);
    for (int c = 0; c < 4; ++c) {
      for (u32 x = 0; x < kSide; ++x) {
        u8 p[4];
        pixelAt(x, y, p);
        plane[x] = p[c];
      }
      u32 i = 0;
      while (i < kSide) {
        u32 run = 1;
        while (i + run < kSide && run < 127 && plane[i + run] == plane[i]) ++run;
        if (run >= 3) {
          out += static_cast<char>(128 + run);
          out += static_cast<char>(plane[i]);
          i += run;
          continue;
        }
        u32 literal = 0;
        while (i + literal < kSide && literal < 128 &&
               !(i + literal + 2 < kSide && plane[i + literal] == plane[i + literal + 1] &&
                 plane[i + literal] == plane[i + literal + 2])) {
          ++literal;
        }
        out += static_cast<char>(literal);
        for (u32 k = 0; k < literal; ++k) out += static_cast<char>(plane[i + k]);
        i += literal;
      }
    }
  }
  return out;
}

std::string makeTga() {
  std::string out(12, '\0');
  out[2] = 10;
  out += static_cast<char>(kSide & 0xFF);
  out += static_cast<char>(kSide >> 8);
  out += static_cast<char>(kSide & 0xFF);
  out += static_cast<char>(kSide >> 8);
  out += static_cast<char>(32);
  out += static_cast<char>(8);
  // Runs of 16 equal pixels along each row, a few raw pixels between them.
  for (u32 y = 0; y < kSide; ++y) {
    u32 x = 0;
    while (x < kSide) {
      const u32 count = 16;
      u8 p[4];
      pixelAt(x, y, p);
      if ((x / 16) % 4 == 3) {
        out += static_cast<char>(count - 1);  // raw packet
        for (u32 k = 0; k < count; ++k) {
          pixelAt(x + k, y, p);
          p[2] = static_cast<u8>(p[2] + k);
          out.append({static_cast<char>(p[2]), static_cast<char>(p[1]), static_cast<char>(p[0]),
                      static_cast<char>(p[3])});
        }
      } else {
        out += static_cast<char>(127 + count);  // run packet
        out.append({static_cast<char>(p[2]), static_cast<char>(p[1]), static_cast<char>(p[0]),
                    static_cast<char>(p[3])});
      }
      x += count;
    }
  }
  return out;
}

std::string writeTemp(const std::string& name, const std::string& bytes) {
  const std::filesystem::path path = std::filesystem::temp_directory_path() / name;
  std::FILE* pFile = std::fopen(path.c_str(), "wb");
  std::fwrite(bytes.data(), 1, bytes.size(), pFile);
  std::fclose(pFile);
  return path.string();
}

const std::string& hdrPath() {
  static const std::string path = writeTemp("orvane_bench_2048.hdr", makeHdr());
  return path;
}

const std::string& tgaPath() {
  static const std::string path = writeTemp("orvane_bench_2048.tga", makeTga());
  return path;
}

std::vector<u8> readFile(const std::string& path) {
  std::FILE* pFile = std::fopen(path.c_str(), "rb");
  std::fseek(pFile, 0, SEEK_END);
  const long size = std::ftell(pFile);
  std::fseek(pFile, 0, SEEK_SET);
  std::vector<u8> bytes(static_cast<std::size_t>(size));
  if (std::fread(bytes.data(), 1, bytes.size(), pFile) != bytes.size()) bytes.clear();
  std::fclose(pFile);
  return bytes;
}

void readOnly(benchmark::State& state, const std::string& path) {
  std::size_t size = 0;
  for (auto _ : state) {
    std::vector<u8> bytes = readFile(path);
    size = bytes.size();
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}

void BM_ReadHdrFileOnly(benchmark::State& state) { readOnly(state, hdrPath()); }
void BM_ReadTgaFileOnly(benchmark::State& state) { readOnly(state, tgaPath()); }

void BM_ReadAndDecodeHdr(benchmark::State& state) {
  std::size_t size = 0;
  for (auto _ : state) {
    const std::vector<u8> bytes = readFile(hdrPath());
    size = bytes.size();
    image::HdrHeader header;
    std::string error;
    if (!image::readHdrHeader(bytes.data(), bytes.size(), header, error)) state.SkipWithError(error.c_str());
    std::unique_ptr<u8[]> pixels(new u8[static_cast<std::size_t>(kSide) * kSide * 4]());
    if (!image::readHdrScanlines(bytes.data(), bytes.size(), header, pixels.get(), kSide, kSide, error)) {
      state.SkipWithError(error.c_str());
    }
    benchmark::DoNotOptimize(pixels.get());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
  state.counters["Mpixel/s"] = benchmark::Counter(static_cast<double>(kSide) * kSide / 1e6 * state.iterations(),
                                                  benchmark::Counter::kIsRate);
}

void BM_ReadAndDecodeTga(benchmark::State& state) {
  std::size_t size = 0;
  for (auto _ : state) {
    const std::vector<u8> bytes = readFile(tgaPath());
    size = bytes.size();
    image::TgaHeader header;
    std::string error;
    if (!image::readTgaHeader(bytes.data(), bytes.size(), header, error)) state.SkipWithError(error.c_str());
    std::unique_ptr<u8[]> pixels(new u8[static_cast<std::size_t>(kSide) * kSide * 4]());
    if (!image::readTgaPixels(bytes.data(), bytes.size(), header, pixels.get(), error)) {
      state.SkipWithError(error.c_str());
    }
    benchmark::DoNotOptimize(pixels.get());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
  state.counters["Mpixel/s"] = benchmark::Counter(static_cast<double>(kSide) * kSide / 1e6 * state.iterations(),
                                                  benchmark::Counter::kIsRate);
}

// A baseline JPEG of the sky-like picture, as our writer makes it (quality 90),
// decoded from memory through the same call the textures use.
const std::vector<u8>& jpegBytes() {
  static const std::vector<u8> bytes = [] {
    std::vector<u8> rgb(static_cast<std::size_t>(kSide) * kSide * 3);
    for (u32 y = 0; y < kSide; ++y) {
      for (u32 x = 0; x < kSide; ++x) {
        u8 p[4];
        pixelAt(x, y, p);
        std::copy(p, p + 3, &rgb[(static_cast<std::size_t>(y) * kSide + x) * 3]);
      }
    }
    const std::string path = (std::filesystem::temp_directory_path() / "orvane-bench.jpg").string();
    platform::writeJpeg(path, kSide, kSide, rgb.data(), 90);
    std::vector<u8> out = readFile(path);
    std::filesystem::remove(path);
    return out;
  }();
  return bytes;
}

void BM_DecodeJpeg(benchmark::State& state) {
  const std::vector<u8>& bytes = jpegBytes();
  for (auto _ : state) {
    platform::DecodedPicture picture;
    std::string error;
    if (!platform::decodePicture(bytes.data(), bytes.size(), picture, error)) state.SkipWithError(error.c_str());
    benchmark::DoNotOptimize(picture.rgb.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
  state.counters["Mpixel/s"] = benchmark::Counter(static_cast<double>(kSide) * kSide / 1e6 * state.iterations(),
                                                  benchmark::Counter::kIsRate);
}

BENCHMARK(BM_ReadHdrFileOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadAndDecodeHdr)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadTgaFileOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadAndDecodeTga)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeJpeg)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ignored;
  std::filesystem::remove(hdrPath(), ignored);
  std::filesystem::remove(tgaPath(), ignored);
  return 0;
}
