// Packing a captured frame's PNG data: libdeflate's fastest level, which the
// captures use, against zlib's run-length strategy, on the same Up-filtered rows. The frames are those of
// a capture when ORVANE_BENCH_FRAMES names its folder (up to 48 of its PNG files,
// spread over the show), else one 1280 x 720 picture made here. Throughput counts
// the filtered bytes; "packed" is the mean packed size of a frame in bytes.
#include <benchmark/benchmark.h>
#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "framework/types.h"
#include "platform/picture_decoder.h"

namespace {

// A frame's rows as the PNG writer packs them: a filter byte, then each RGB byte
// minus the one above it.
std::vector<u8> filteredRows(const std::vector<u8>& rgb, u32 width, u32 height) {
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
  std::vector<u8> rows;
  rows.reserve((rowBytes + 1) * height);
  for (u32 y = 0; y < height; ++y) {
    rows.push_back(2);
    for (std::size_t i = 0; i < rowBytes; ++i) {
      const u8 above = y > 0 ? rgb[(y - 1) * rowBytes + i] : 0;
      rows.push_back(static_cast<u8>(rgb[y * rowBytes + i] - above));
    }
  }
  return rows;
}

// A dusk-like picture: a smooth sky, a flat dark ground, and a band of grain.
std::vector<u8> madeFrame() {
  constexpr u32 kWidth = 1280, kHeight = 720;
  std::vector<u8> rgb(static_cast<std::size_t>(kWidth) * kHeight * 3);
  std::mt19937 random(1);
  for (u32 y = 0; y < kHeight; ++y) {
    for (u32 x = 0; x < kWidth; ++x) {
      u8* p = &rgb[(static_cast<std::size_t>(y) * kWidth + x) * 3];
      if (y > 520) {
        p[0] = 30, p[1] = 34, p[2] = 28;
      } else if (y > 400) {
        const u32 grain = random();
        p[0] = static_cast<u8>(200 + (grain & 7)), p[1] = static_cast<u8>(120 + ((grain >> 3) & 7)), p[2] = 140;
      } else {
        p[0] = static_cast<u8>(120 + y / 4), p[1] = static_cast<u8>(60 + y / 6 + x / 64), p[2] = static_cast<u8>(160 - y / 5);
      }
    }
  }
  return filteredRows(rgb, kWidth, kHeight);
}

const std::vector<std::vector<u8>>& frames() {
  static const std::vector<std::vector<u8>> all = [] {
    std::vector<std::vector<u8>> list;
    const char* folder = std::getenv("ORVANE_BENCH_FRAMES");
    if (folder) {
      std::vector<std::filesystem::path> files;
      for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().extension() == ".png") files.push_back(entry.path());
      std::sort(files.begin(), files.end());
      const std::size_t step = std::max<std::size_t>(1, files.size() / 48);
      for (std::size_t i = 0; i < files.size() && list.size() < 48; i += step) {
        std::ifstream in(files[i], std::ios::binary);
        const std::vector<u8> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        platform::DecodedPicture picture;
        std::string error;
        if (platform::decodeAnyPicture(bytes.data(), bytes.size(), picture, error))
          list.push_back(filteredRows(picture.rgb, picture.width, picture.height));
      }
    }
    if (list.empty()) list.push_back(madeFrame());
    return list;
  }();
  return all;
}

template <typename Pack>
void packFrames(benchmark::State& state, Pack pack) {
  const auto& all = frames();
  std::size_t largest = 0;
  for (const auto& rows : all) largest = std::max(largest, rows.size());
  // Room for either: zlib's bound is the larger.
  std::vector<u8> out(compressBound(static_cast<uLong>(largest)));
  std::size_t bytes = 0, packed = 0, count = 0;
  for (auto _ : state) {
    for (const auto& rows : all) {
      packed += pack(rows, out);
      bytes += rows.size();
      ++count;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
  state.counters["packed"] = count ? static_cast<double>(packed) / static_cast<double>(count) : 0.0;
}

void BM_LibdeflateFastest(benchmark::State& state) {
  libdeflate_compressor* pCompressor = libdeflate_alloc_compressor(1);
  packFrames(state, [&](const std::vector<u8>& rows, std::vector<u8>& out) {
    return libdeflate_deflate_compress(pCompressor, rows.data(), rows.size(), out.data(), out.size());
  });
  libdeflate_free_compressor(pCompressor);
}
BENCHMARK(BM_LibdeflateFastest)->Unit(benchmark::kMillisecond);

// zlib's strategy that looks for runs only (matches at distance one), at level 1;
// a zlib stream as a PNG holds it.
void BM_ZlibRunLength(benchmark::State& state) {
  z_stream stream{};
  deflateInit2(&stream, 1, Z_DEFLATED, 15, 8, Z_RLE);
  packFrames(state, [&](const std::vector<u8>& rows, std::vector<u8>& out) {
    deflateReset(&stream);
    stream.next_in = const_cast<u8*>(rows.data());
    stream.avail_in = static_cast<uInt>(rows.size());
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    return static_cast<std::size_t>(stream.total_out);
  });
  deflateEnd(&stream);
}
BENCHMARK(BM_ZlibRunLength)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
