#pragma once

#include <QtGlobal>

// The LZRW1/KH block codec: LZRW1 with run-length items.
//
// Encoded block (L bytes) for a chunk of n <= 32,768 bytes:
//   byte 0      0x80 stored: bytes 1..L-1 are the chunk (L = n + 1)
//               else compressed: groups follow
//   group       16-bit control word, high byte first, then up to 16 items;
//               bits from the top down give each item's kind: 0 literal,
//               1 copy or run
//   literal     1 byte
//   copy        2 bytes, high first: offset << 4 | (length - 3),
//               offset 1..4095 back from the end of the output, length 3..18
//   run         4 bytes: 0x00, (count - 16) high, (count - 16) low, byte;
//               told from a copy by its zero offset
//   L < 2       decodes to nothing
namespace lzrw1kh {

constexpr int kChunkSize = 32768;
// The longest block the encoder writes: a stored full chunk.
constexpr int kMaxBlockSize = kChunkSize + 1;
// A chunk plus the slack the encoder may run past the end of a chunk's
// encoding before it notices that coding does not pay.
constexpr int kBufferSize = kChunkSize + 16;
constexpr int kHashSize = 4096;

// Encodes the n bytes of `in` (n <= kChunkSize) into `out`, which holds
// kBufferSize bytes; `hash` holds kHashSize entries of scratch space.
// Returns the block's length L.
int compressChunk(const quint8 *in, int n, quint8 *out, qint16 *hash);

// Decodes a block of `length` bytes into `out`, which holds kChunkSize
// bytes. Returns the decoded length, or -1 when the block is corrupt: an
// item running past the block, a copy reaching before the start of the
// output, or more than kChunkSize bytes of output.
int decompressBlock(const quint8 *in, int length, quint8 *out);

} // namespace lzrw1kh
