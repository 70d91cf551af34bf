// Run-length deflate: the tokens of a block, its Huffman codes and their header,
// and the bit writer.
#include "platform/run_length_deflate.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace platform {

namespace {

constexpr std::size_t kBlockBytes = std::size_t{1} << 18;  // input bytes a block codes
constexpr int kLiteralCodes = 286;                         // literals, end of block, run lengths
constexpr int kEndOfBlock = 256;
constexpr int kMaxBits = 15;
constexpr int kMaxHeaderBits = 7;
constexpr std::size_t kMinRun = 3;
constexpr std::size_t kMaxRun = 258;
constexpr std::size_t kMaxBlockHeaderBytes = 300;

// The deflate symbol of each run length 3..258, with its extra bits.
struct LengthCode {
  u16 symbol = 0;
  u8 extraBits = 0;
  u16 extraValue = 0;
};

const std::array<LengthCode, kMaxRun + 1>& lengthCodes() {
  static const std::array<LengthCode, kMaxRun + 1> table = [] {
    static const u16 base[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                 31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
    static const u8 extra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
    std::array<LengthCode, kMaxRun + 1> codes{};
    // Later codes overwrite: 258 is symbol 285, not 284 with all extra bits set.
    for (int code = 0; code < 29; ++code) {
      for (u32 value = 0; value < (1u << extra[code]) && base[code] + value <= kMaxRun; ++value) {
        codes[base[code] + value] = {static_cast<u16>(257 + code), extra[code], static_cast<u16>(value)};
      }
    }
    return codes;
  }();
  return table;
}

// Code lengths of an optimal prefix code for these frequencies, none longer than
// maxBits, and always complete (decoders refuse a code with gaps): a lone symbol
// gets a partner. A tree too deep is built again from halved frequencies, which
// brings rare symbols closer to common ones.
void buildLengths(const u32* pFrequencies, int count, int maxBits, u8* pLengths) {
  std::vector<u32> frequencies(pFrequencies, pFrequencies + count);
  std::fill(pLengths, pLengths + count, 0);
  std::vector<int> symbols;
  for (int i = 0; i < count; ++i) {
    if (frequencies[static_cast<std::size_t>(i)] != 0) symbols.push_back(i);
  }
  if (symbols.size() < 2) {
    const int lone = symbols.empty() ? 0 : symbols.front();
    pLengths[lone] = 1;
    pLengths[lone == 0 ? 1 : 0] = 1;
    return;
  }
  const std::size_t leaves = symbols.size();
  std::vector<u64> weight(2 * leaves - 1);
  std::vector<std::size_t> parent(2 * leaves - 1);
  std::vector<int> depth(2 * leaves - 1);
  for (;;) {
    std::stable_sort(symbols.begin(), symbols.end(), [&](int a, int b) {
      return frequencies[static_cast<std::size_t>(a)] < frequencies[static_cast<std::size_t>(b)];
    });
    for (std::size_t i = 0; i < leaves; ++i) weight[i] = frequencies[static_cast<std::size_t>(symbols[i])];
    // Two queues, the sorted leaves and the joined nodes (made in rising weight):
    // each step joins the two lightest fronts.
    std::size_t leaf = 0;
    std::size_t joined = leaves;
    std::size_t next = leaves;
    auto lightest = [&]() {
      if (leaf < leaves && (joined >= next || weight[leaf] <= weight[joined])) return leaf++;
      return joined++;
    };
    for (; next < 2 * leaves - 1; ++next) {
      const std::size_t a = lightest();
      const std::size_t b = lightest();
      weight[next] = weight[a] + weight[b];
      parent[a] = next;
      parent[b] = next;
    }
    // A parent is always made after its children: walk down from the root.
    depth[2 * leaves - 2] = 0;
    int deepest = 0;
    for (std::size_t i = 2 * leaves - 2; i-- > 0;) {
      depth[i] = depth[parent[i]] + 1;
      if (i < leaves) deepest = std::max(deepest, depth[i]);
    }
    if (deepest <= maxBits) break;
    for (u32& frequency : frequencies) frequency = (frequency + 1) / 2;
  }
  for (std::size_t i = 0; i < leaves; ++i) pLengths[symbols[i]] = static_cast<u8>(depth[i]);
}

// Canonical codes for these lengths, bit-reversed as deflate sends them.
void buildCodes(const u8* pLengths, int count, u16* pCodes) {
  int perLength[kMaxBits + 1] = {};
  for (int i = 0; i < count; ++i) ++perLength[pLengths[i]];
  perLength[0] = 0;
  u32 nextCode[kMaxBits + 1] = {};
  u32 code = 0;
  for (int bits = 1; bits <= kMaxBits; ++bits) {
    code = (code + static_cast<u32>(perLength[bits - 1])) << 1;
    nextCode[bits] = code;
  }
  for (int i = 0; i < count; ++i) {
    const int bits = pLengths[i];
    if (bits == 0) continue;
    const u32 value = nextCode[bits]++;
    u32 reversed = 0;
    for (int b = 0; b < bits; ++b) reversed |= ((value >> b) & 1u) << (bits - 1 - b);
    pCodes[i] = static_cast<u16>(reversed);
  }
}

// Bits to bytes, first bit lowest, as deflate packs them. Kept in locals by the
// loops that use it, so the bits stay in a register; a put takes at most 32 bits.
struct BitWriter {
  u8* pOut;
  u64 bits = 0;
  int count = 0;  // bits waiting, fewer than 8 between puts

  void put(u64 value, int length) {
    bits |= value << count;
    count += length;
    // All eight bytes are stored each time, and the pointer moves past the whole
    // ones: no branch on how full the buffer is.
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    std::memcpy(pOut, &bits, 8);
#else
    for (int i = 0; i < 8; ++i) pOut[i] = static_cast<u8>(bits >> (8 * i));
#endif
    pOut += count >> 3;
    bits >>= count & ~7;
    count &= 7;
  }

  u8* finish() {
    if (count > 0) *pOut++ = static_cast<u8>(bits);
    count = 0;
    bits = 0;
    return pOut;
  }
};

// How many bytes from pAt on (at most limit) equal `value`, eight at a time.
std::size_t runOf(const u8* pAt, u8 value, std::size_t limit) {
  const u64 pattern = 0x0101010101010101ull * value;
  std::size_t run = 0;
  while (run + 8 <= limit) {
    u64 word = 0;
    std::memcpy(&word, pAt + run, 8);
    if (word != pattern) break;
    run += 8;
  }
  while (run < limit && pAt[run] == value) ++run;
  return run;
}

// A code and its length in bits, ready for the writer.
struct Coded {
  u32 value = 0;
  u32 length = 0;
};

// A run found in a block: where it starts and how many bytes it repeats.
struct Run {
  std::size_t at;
  u32 length;
};

// One bit per byte of `word` (its top bit) where the byte is zero, exactly.
u64 zeroBytes(u64 word) {
  constexpr u64 kLow7 = 0x7F7F7F7F7F7F7F7Full;
  return ~(((word & kLow7) + kLow7) | word | kLow7);
}

// The runs of a block, greedily from its start: a run starts where a byte and the
// two after it equal the byte before. Eight bytes are looked at in one go, and
// those where no run can start are passed over together.
void findRuns(const u8* pData, std::size_t start, std::size_t end, std::vector<Run>& runs) {
  runs.clear();
  std::size_t at = std::max<std::size_t>(start, 1);
  while (at < end) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    // Byte k of the word can start a run when bytes k, k + 1 and k + 2 each equal
    // the one before (byte order decides which bit is byte k: elsewhere, byte by byte).
    if (at + 9 <= end) {
      u64 word = 0;
      u64 before = 0;
      std::memcpy(&word, pData + at, 8);
      std::memcpy(&before, pData + at - 1, 8);
      const u64 same = zeroBytes(word ^ before);
      const u64 starts = same & (same >> 8) & (same >> 16);
      if (starts == 0) {
        at += 6;
        continue;
      }
      at += static_cast<std::size_t>(__builtin_ctzll(starts)) / 8;
    }
#endif
    const u8 value = pData[at - 1];
    if (end - at >= kMinRun && pData[at] == value && pData[at + 1] == value && pData[at + 2] == value) {
      const std::size_t run = kMinRun + runOf(pData + at + kMinRun, value, std::min(end - at, kMaxRun) - kMinRun);
      runs.push_back({at, static_cast<u32>(run)});
      at += run;
    } else {
      ++at;
    }
  }
}

// One block: literals and runs of the byte before, with their code in the header.
void writeBlock(BitWriter& out, const u8* pData, std::size_t start, std::size_t end, bool last,
                std::vector<Run>& runs) {
  const auto& lengths = lengthCodes();
  // Every byte counted as a literal, in four tables so that repeated bytes do not
  // wait on each other's counts; the bytes of runs are taken out again below.
  u32 counts[4][256] = {};
  std::size_t at = start;
  for (; at + 4 <= end; at += 4) {
    ++counts[0][pData[at]];
    ++counts[1][pData[at + 1]];
    ++counts[2][pData[at + 2]];
    ++counts[3][pData[at + 3]];
  }
  for (; at < end; ++at) ++counts[0][pData[at]];
  u32 literalFrequencies[kLiteralCodes] = {};
  for (int i = 0; i < 256; ++i) literalFrequencies[i] = counts[0][i] + counts[1][i] + counts[2][i] + counts[3][i];
  findRuns(pData, start, end, runs);
  for (const Run& run : runs) {
    literalFrequencies[pData[run.at]] -= run.length;
    ++literalFrequencies[lengths[run.length].symbol];
  }
  literalFrequencies[kEndOfBlock] = 1;

  u8 literalLengths[kLiteralCodes];
  u16 literalCodes[kLiteralCodes] = {};
  buildLengths(literalFrequencies, kLiteralCodes, kMaxBits, literalLengths);
  buildCodes(literalLengths, kLiteralCodes, literalCodes);
  // Every run is one byte back: distance code 0, one bit (code 1 completes the code).
  const u8 distanceLengths[2] = {1, 1};

  int literalCount = kLiteralCodes;
  while (literalCount > 257 && literalLengths[literalCount - 1] == 0) --literalCount;
  // The code lengths themselves, each sent as its own symbol 0..15 with a code of
  // their own: the header is a few hundred bits against a block of kilobytes.
  std::vector<u8> sequence(literalLengths, literalLengths + literalCount);
  sequence.insert(sequence.end(), distanceLengths, distanceLengths + 2);
  u32 headerFrequencies[19] = {};
  for (const u8 length : sequence) ++headerFrequencies[length];
  u8 headerLengths[19];
  u16 headerCodes[19] = {};
  buildLengths(headerFrequencies, 19, kMaxHeaderBits, headerLengths);
  buildCodes(headerLengths, 19, headerCodes);
  static const u8 kHeaderOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
  int headerCount = 19;
  while (headerCount > 4 && headerLengths[kHeaderOrder[headerCount - 1]] == 0) --headerCount;

  BitWriter writer = out;
  writer.put(last ? 1 : 0, 1);
  writer.put(2, 2);  // dynamic Huffman codes
  writer.put(static_cast<u32>(literalCount - 257), 5);
  writer.put(2 - 1, 5);
  writer.put(static_cast<u32>(headerCount - 4), 4);
  for (int i = 0; i < headerCount; ++i) writer.put(headerLengths[kHeaderOrder[i]], 3);
  for (const u8 length : sequence) writer.put(headerCodes[length], headerLengths[length]);

  Coded literals[256];
  for (int i = 0; i < 256; ++i) literals[i] = {literalCodes[i], literalLengths[i]};
  // Literals two at a time: two codes of at most 15 bits go in one put.
  auto putLiterals = [&](std::size_t from, std::size_t to) {
    for (; from + 2 <= to; from += 2) {
      const Coded& first = literals[pData[from]];
      const Coded& second = literals[pData[from + 1]];
      writer.put(first.value | static_cast<u64>(second.value) << first.length,
                 static_cast<int>(first.length + second.length));
    }
    if (from < to) writer.put(literals[pData[from]].value, static_cast<int>(literals[pData[from]].length));
  };
  at = start;
  for (const Run& run : runs) {
    putLiterals(at, run.at);
    at = run.at;
    // The run's length code, its extra bits and the distance bit (0: one byte back).
    const LengthCode& code = lengths[run.length];
    const u32 bits = literalLengths[code.symbol];
    writer.put(literalCodes[code.symbol] | static_cast<u32>(code.extraValue) << bits,
               static_cast<int>(bits + code.extraBits + 1));
    at += run.length;
  }
  putLiterals(at, end);
  writer.put(literalCodes[kEndOfBlock], literalLengths[kEndOfBlock]);
  out = writer;
}

}  // namespace

std::size_t deflateRunsBound(std::size_t size) {
  // A symbol takes at most 15 bits and stands for at least one byte; each block
  // adds its header.
  const std::size_t blocks = size / kBlockBytes + 1;
  return size / 8 * kMaxBits + kMaxBits + blocks * kMaxBlockHeaderBytes + 16;
}

std::size_t deflateRuns(const u8* pData, std::size_t size, u8* pOut) {
  thread_local std::vector<Run> runs;  // a writer thread keeps the storage
  BitWriter out{pOut};
  std::size_t start = 0;
  do {
    const std::size_t end = std::min(size, start + kBlockBytes);
    writeBlock(out, pData, start, end, end == size, runs);
    start = end;
  } while (start < size);
  return static_cast<std::size_t>(out.finish() - pOut);
}

}  // namespace platform
