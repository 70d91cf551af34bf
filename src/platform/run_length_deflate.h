// deflateRuns: a raw deflate stream that finds no matches but runs of one byte,
// each block with its own Huffman code. Rendered frames after PNG's Up filter are
// mostly runs and small differences, which this packs about a tenth larger than a
// general compressor's fastest level in half its time. Any thread.
#pragma once

#include <cstddef>

#include "framework/types.h"

namespace platform {

// The most bytes deflateRuns writes for `size` input bytes.
std::size_t deflateRunsBound(std::size_t size);

// Packs `size` bytes into `pOut` (room for deflateRunsBound(size) bytes) as the
// blocks of one deflate stream, the last one final; returns the bytes written.
// The same input always gives the same bytes.
std::size_t deflateRuns(const u8* pData, std::size_t size, u8* pOut);

}  // namespace platform
