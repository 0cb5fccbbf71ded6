#include "tally/lzrw1kh.h"

#include <algorithm>
#include <cstring>

namespace lzrw1kh {

namespace {

constexpr quint8 kStored = 0x80;
constexpr quint8 kCompressed = 0x40;
constexpr int kGroupItems = 16;
constexpr int kMinRun = 16;
constexpr int kMaxRun = 4095;
constexpr int kMinCopy = 3;
constexpr int kMaxCopy = 18;
constexpr int kMaxOffset = 4095;

quint32 hashOf(const quint8 *p)
{
    const quint32 mixed = ((quint32(p[0]) << 4 ^ p[1]) << 4 ^ p[2]) * 40543u;
    return (mixed >> 4) & (kHashSize - 1);
}

void putWord(quint8 *at, quint32 word)
{
    at[0] = quint8(word >> 8);
    at[1] = quint8(word);
}

int store(const quint8 *in, int n, quint8 *out)
{
    out[0] = kStored;
    if (n > 0)
        std::memcpy(out + 1, in, size_t(n));
    return n + 1;
}

} // namespace

int compressChunk(const quint8 *in, int n, quint8 *out, qint16 *hash)
{
    std::fill(hash, hash + kHashSize, qint16(-1));
    out[0] = kCompressed;
    int controlAt = 1;
    int op = 3;
    int items = 0;
    quint32 control = 0;
    int p = 0;
    // One item writes at most 6 bytes past op (a new control word and a run),
    // so stopping once op passes n stays inside the buffer's slack.
    while (p < n && op <= n) {
        if (items == kGroupItems) {
            putWord(out + controlAt, control);
            controlAt = op;
            op += 2;
            items = 0;
            control = 0;
        }
        const int runLimit = std::min(kMaxRun, n - p);
        int run = 1;
        while (run < runLimit && in[p + run] == in[p])
            ++run;
        quint32 bit = 1;
        if (run >= kMinRun) {
            out[op++] = 0;
            putWord(out + op, quint32(run - kMinRun));
            op += 2;
            out[op++] = in[p];
            p += run;
        } else {
            int length = 0;
            int offset = 0;
            // Near the end no match can reach three bytes, and skipping the
            // probe keeps the hash from reading past the chunk.
            if (p + kMinCopy <= n) {
                const quint32 h = hashOf(in + p);
                const int q = hash[h];
                if (q != -1 && p - q <= kMaxOffset) {
                    const int limit = std::min(kMaxCopy, n - p);
                    while (length < limit && in[p + length] == in[q + length])
                        ++length;
                    offset = p - q;
                }
                hash[h] = qint16(p);
            }
            if (length >= kMinCopy) {
                putWord(out + op, quint32(offset) << 4 | quint32(length - kMinCopy));
                op += 2;
                p += length;
            } else {
                out[op++] = in[p++];
                bit = 0;
            }
        }
        control = control << 1 | bit;
        ++items;
    }
    putWord(out + controlAt, control << (kGroupItems - items));
    if (op > n)
        return store(in, n, out);
    return op;
}

int decompressBlock(const quint8 *in, int length, quint8 *out)
{
    if (length < 2)
        return 0;
    if (in[0] == kStored) {
        const int n = length - 1;
        if (n > kChunkSize)
            return -1;
        std::memcpy(out, in + 1, size_t(n));
        return n;
    }
    int ip = 1;
    int op = 0;
    quint32 control = 0;
    int items = kGroupItems;
    while (ip < length) {
        if (items == kGroupItems) {
            if (ip + 2 > length)
                return -1;
            control = quint32(in[ip]) << 8 | in[ip + 1];
            ip += 2;
            items = 0;
            if (ip == length)
                break;
        }
        const bool literal = (control & 0x8000) == 0;
        control <<= 1;
        ++items;
        if (literal) {
            if (op >= kChunkSize)
                return -1;
            out[op++] = in[ip++];
            continue;
        }
        if (ip + 2 > length)
            return -1;
        const quint32 word = quint32(in[ip]) << 8 | in[ip + 1];
        const int offset = int(word >> 4);
        if (offset != 0) {
            const int count = int(word & 15) + kMinCopy;
            if (offset > op || count > kChunkSize - op)
                return -1;
            // Byte by byte: a copy may overlap the bytes it produces.
            for (int i = 0; i < count; ++i, ++op)
                out[op] = out[op - offset];
            ip += 2;
        } else {
            if (ip + 4 > length)
                return -1;
            const int count = int((word & 15) << 8 | in[ip + 2]) + kMinRun;
            if (count > kChunkSize - op)
                return -1;
            std::memset(out + op, in[ip + 3], size_t(count));
            op += count;
            ip += 4;
        }
    }
    return op;
}

} // namespace lzrw1kh
