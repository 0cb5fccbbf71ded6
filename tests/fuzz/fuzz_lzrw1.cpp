// libFuzzer target for the compressed-file decoder; built by tools/fuzz-lzrw1
// with clang, never by the normal build.
#include "tally/lzrw1.h"
#include "tally/lzrw1kh.h"

#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const quint8 *data, size_t size)
{
    static Tlzrw1 component;
    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));

    // Whole files: accepted or refused with ELzrw1Exception, nothing else.
    try {
        component.decompressData(input);
    } catch (const ELzrw1Exception &) {
    }

    // One block in buffers of exactly the promised sizes, so that the
    // sanitizer sees any byte read or written outside them.
    const int length = int(std::min<size_t>(size, lzrw1kh::kMaxBlockSize));
    const std::vector<quint8> block(data, data + length);
    std::vector<quint8> decoded(lzrw1kh::kChunkSize);
    const int produced = lzrw1kh::decompressBlock(block.data(), length, decoded.data());
    if (produced > lzrw1kh::kChunkSize)
        std::abort();

    // The encoder on a chunk of exactly n bytes, and back.
    const int n = int(std::min<size_t>(size, lzrw1kh::kChunkSize));
    const std::vector<quint8> chunk(data, data + n);
    std::vector<quint8> encoded(lzrw1kh::kBufferSize);
    std::vector<qint16> hash(lzrw1kh::kHashSize);
    const int encodedLength = lzrw1kh::compressChunk(chunk.data(), n, encoded.data(), hash.data());
    if (encodedLength > lzrw1kh::kMaxBlockSize)
        std::abort();
    if (lzrw1kh::decompressBlock(encoded.data(), encodedLength, decoded.data()) != n
        || !std::equal(chunk.begin(), chunk.end(), decoded.begin()))
        std::abort();

    // Whole files round trip, many chunks included.
    if (component.decompressData(component.compressData(input)) != input)
        std::abort();
    return 0;
}
