#include "definitions/sortedtextfile.h"

#include <algorithm>
#include <cstring>

#ifdef Q_OS_UNIX
#include <sys/mman.h>
#endif

namespace {

// Each step at least halves the range searched: 64 steps cover any file.
constexpr int kMaxSteps = 64;
// Lines sharing a key that one search gathers.
constexpr int kMaxSameKey = 8;

QByteArrayView firstField(QByteArrayView line)
{
    const qsizetype space = line.indexOf(' ');
    return space < 0 ? line : line.first(space);
}

// Byte order, as the files are sorted.
int compareBytes(QByteArrayView a, QByteArrayView b)
{
    const int order = std::memcmp(a.data(), b.data(), size_t(std::min(a.size(), b.size())));
    if (order != 0)
        return order;
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

} // namespace

bool SortedTextFile::open(const QString &path)
{
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadOnly) || m_file.size() <= 0)
        return false;
    m_size = m_file.size();
    m_data = reinterpret_cast<const char *>(m_file.map(0, m_size));
    if (!m_data) {
        m_size = 0;
        return false;
    }
#ifdef Q_OS_UNIX
    // Lookups jump about: read no pages ahead of those they touch.
    madvise(const_cast<char *>(m_data), size_t(m_size), MADV_RANDOM);
#endif
    return true;
}

void SortedTextFile::release() const
{
#ifdef Q_OS_UNIX
    if (m_data)
        madvise(const_cast<char *>(m_data), size_t(m_size), MADV_DONTNEED);
#endif
}

qint64 SortedTextFile::lineStart(qint64 offset, qint64 floor) const
{
    const qint64 limit = std::max(floor, offset - kMaxLine);
    qint64 at = offset;
    while (at > limit && m_data[at - 1] != '\n')
        --at;
    return at == floor || m_data[at - 1] == '\n' ? at : -1;
}

qint64 SortedTextFile::lineEnd(qint64 start) const
{
    const qint64 limit = std::min(m_size, start + kMaxLine);
    const void *found = std::memchr(m_data + start, '\n', size_t(limit - start));
    if (found)
        return static_cast<const char *>(found) - m_data;
    return limit == m_size ? m_size : -1;
}

QByteArrayView SortedTextFile::line(qint64 start, qint64 end) const
{
    return QByteArrayView(m_data + start, end - start);
}

QByteArrayView SortedTextFile::lineAt(qint64 offset) const
{
    if (!m_data || offset < 0 || offset >= m_size)
        return {};
    const qint64 end = lineEnd(offset);
    return end < 0 ? QByteArrayView() : line(offset, end);
}

QList<QByteArrayView> SortedTextFile::find(QByteArrayView key) const
{
    if (!m_data || key.isEmpty())
        return {};
    // lo is always the start of a line, hi the start of one or the end.
    qint64 lo = 0;
    qint64 hi = m_size;
    for (int step = 0; step < kMaxSteps && lo < hi; ++step) {
        const qint64 mid = lo + (hi - lo) / 2;
        const qint64 start = lineStart(mid, lo);
        const qint64 end = start < 0 ? -1 : lineEnd(start);
        if (end < 0)
            return {};
        const int order = compareBytes(firstField(line(start, end)), key);
        if (order < 0) {
            lo = end + 1;
        } else if (order > 0) {
            hi = start;
        } else {
            // The same key may stand on the lines around this one.
            QList<QByteArrayView> found{line(start, end)};
            for (qint64 before = start; before > 0 && found.size() < kMaxSameKey;) {
                const qint64 from = lineStart(before - 1, 0);
                if (from < 0 || firstField(line(from, before - 1)) != key)
                    break;
                found.prepend(line(from, before - 1));
                before = from;
            }
            for (qint64 after = end + 1; after < m_size && found.size() < kMaxSameKey;) {
                const qint64 to = lineEnd(after);
                if (to < 0 || firstField(line(after, to)) != key)
                    break;
                found.append(line(after, to));
                after = to + 1;
            }
            return found;
        }
    }
    return {};
}
