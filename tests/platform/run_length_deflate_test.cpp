// The captures' deflate, read back by an independent decoder (libdeflate's): every
// kind of input comes back byte for byte within the promised size, runs and blocks
// meet at their edges, skewed byte counts that would make codes too long still
// give a valid stream, and the same input always gives the same bytes.
#include "platform/run_length_deflate.h"

#include <gtest/gtest.h>
#include <libdeflate.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

std::vector<u8> pack(const std::vector<u8>& data) {
  std::vector<u8> packed(platform::deflateRunsBound(data.size()));
  packed.resize(platform::deflateRuns(data.data(), data.size(), packed.data()));
  return packed;
}

// Empty when the stream does not decode to exactly `size` bytes.
std::vector<u8> unpack(const std::vector<u8>& packed, std::size_t size) {
  libdeflate_decompressor* pDecompressor = libdeflate_alloc_decompressor();
  std::vector<u8> data(size + 1);
  std::size_t got = 0;
  const libdeflate_result result =
      libdeflate_deflate_decompress(pDecompressor, packed.data(), packed.size(), data.data(), data.size(), &got);
  libdeflate_free_decompressor(pDecompressor);
  if (result != LIBDEFLATE_SUCCESS || got != size) return {};
  data.resize(got);
  return data;
}

void expectRoundTrip(const std::vector<u8>& data, const std::string& what) {
  const std::vector<u8> packed = pack(data);
  EXPECT_LE(packed.size(), platform::deflateRunsBound(data.size())) << what;
  EXPECT_TRUE(unpack(packed, data.size()) == data) << what;
  EXPECT_EQ(pack(data), packed) << what << ": the same input gave other bytes";
}

std::vector<u8> noise(std::size_t size, u32 seed) {
  std::mt19937 random(seed);
  std::vector<u8> data(size);
  for (u8& byte : data) byte = static_cast<u8>(random());
  return data;
}

}  // namespace

TEST(RunLengthDeflate, EveryKindOfInputComesBackWithinItsBound) {
  expectRoundTrip({}, "nothing");
  expectRoundTrip({7}, "one byte");
  expectRoundTrip({0, 0}, "a pair, too short for a run");
  expectRoundTrip({5, 5, 5, 5}, "a run right after the first byte");
  expectRoundTrip(std::vector<u8>(3 + 258, 9), "a run of the longest length");
  expectRoundTrip(std::vector<u8>(2 + 258 + 1, 9), "one byte past the longest run");
  expectRoundTrip(noise(100000, 1), "noise: literals only");

  // Rows as the PNG writer hands them over: a filter byte, then small
  // differences and long stretches of zeros.
  std::vector<u8> rows;
  for (int row = 0; row < 300; ++row) {
    rows.push_back(2);
    for (int x = 0; x < 3000; ++x) rows.push_back(x > 1000 && x < 2500 ? 0 : static_cast<u8>((x * row) % 7));
  }
  expectRoundTrip(rows, "filtered rows over several blocks");
}

TEST(RunLengthDeflate, RunsAndLiteralsMeetAtBlockEdges) {
  // Blocks are 256 KiB of input: a run that would cross an edge, one that ends on
  // it, and a run that starts right after it (its byte before lies in the block before).
  constexpr std::size_t kBlock = 1u << 18;
  for (const std::size_t runStart : {kBlock - 100, kBlock - 258, kBlock - 2, kBlock + 1}) {
    std::vector<u8> data = noise(2 * kBlock + 77, 2);
    for (std::size_t i = runStart; i < runStart + 300 && i < data.size(); ++i) data[i] = 0xAB;
    expectRoundTrip(data, "run from " + std::to_string(runStart));
  }
  expectRoundTrip(std::vector<u8>(3 * kBlock, 0), "nothing but one byte, exactly three blocks");
  EXPECT_LT(pack(std::vector<u8>(3 * kBlock, 0)).size(), 8000u) << "runs are what this deflate is for";
}

TEST(RunLengthDeflate, SkewedCountsStillGiveCodesTheDecoderTakes) {
  // Byte k occurs about as often as the k-th Fibonacci number: an optimal code
  // would give the rarest bytes more than the 15 bits deflate allows.
  std::vector<u8> data;
  u32 previous = 1;
  u32 count = 1;
  for (int symbol = 0; symbol < 26; ++symbol) {
    data.insert(data.end(), count, static_cast<u8>(symbol * 7));
    const u32 next = previous + count;
    previous = count;
    count = next;
  }
  // Shuffled so that runs do not take the bytes away from the literal counts.
  std::shuffle(data.begin(), data.end(), std::mt19937(3));
  expectRoundTrip(data, "Fibonacci byte counts");
}
