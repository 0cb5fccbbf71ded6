#include "robots/wordindex.h"

#include <QResource>

#include <algorithm>
#include <array>

namespace {

constexpr int kRecordSize = 15;
constexpr int kRecordWord = 14;
constexpr int kLetters = 26;

using LetterCounts = std::array<int, kLetters>;

// Appends letters in alphabetical order to a key: five bits a letter, 1 to
// 26, so that keys of different letters never meet.
quint64 keyOf(const LetterCounts &counts)
{
    quint64 key = 0;
    for (int letter = 0; letter < kLetters; ++letter) {
        for (int n = 0; n < counts[letter]; ++n)
            key = key << 5 | quint64(letter + 1);
    }
    return key;
}

} // namespace

WordIndex::WordIndex(QByteArrayView records, QByteArrayView levels)
{
    const qsizetype count = records.size() / kRecordSize;
    const bool levelsFit = levels.size() == count;
    m_entries.reserve(size_t(count));
    m_words.reserve(count * 8);
    char word[kRecordWord];
    for (qsizetype i = 0; i < count; ++i) {
        const QByteArrayView record = records.sliced(i * kRecordSize + 1, kRecordWord);
        int length = 0;
        bool letters = true;
        for (; length < kRecordWord && record[length] != ' '; ++length) {
            const char c = record[length];
            letters = letters && c >= 'A' && c <= 'Z';
            word[length] = char(c - 'A' + 'a');
        }
        if (!letters || length == 0 || length > kMaxLetters)
            continue;
        const char level = levelsFit ? levels[i] : '3';
        add(QByteArrayView(word, length), level >= '1' && level <= '3' ? level - '0' : 3);
    }
    add("a", int(Vocabulary::Common));
    add("i", int(Vocabulary::Common));

    std::sort(m_entries.begin(), m_entries.end(), [this](const Entry &a, const Entry &b) {
        if (a.key != b.key)
            return a.key < b.key;
        const int order = wordOf(a).compare(wordOf(b));
        return order != 0 ? order < 0 : a.level < b.level;
    });
    // A word listed twice keeps its most common level.
    const auto duplicate = std::unique(m_entries.begin(), m_entries.end(), [this](const Entry &a, const Entry &b) {
        return a.key == b.key && wordOf(a) == wordOf(b);
    });
    m_entries.erase(duplicate, m_entries.end());
}

void WordIndex::add(QByteArrayView word, int level)
{
    LetterCounts counts{};
    for (const char c : word)
        ++counts[c - 'a'];
    m_entries.push_back({keyOf(counts), quint32(m_words.size()), quint8(word.size()), quint8(level)});
    m_words.append(word);
}

const WordIndex &WordIndex::shared()
{
    // The dictionary is stored uncompressed and read in place; the levels
    // are unpacked once.
    static const QByteArray records = QResource(QStringLiteral(":/words/TEXT_DEMO")).uncompressedData();
    static const QByteArray levels = QResource(QStringLiteral(":/words/wordlevels")).uncompressedData();
    static const WordIndex index(records, levels);
    return index;
}

std::vector<WordIndex::Entry>::const_iterator WordIndex::firstWithKey(quint64 key) const
{
    return std::lower_bound(m_entries.begin(), m_entries.end(), key,
                            [](const Entry &entry, quint64 wanted) { return entry.key < wanted; });
}

QList<QByteArrayView> WordIndex::candidates(QByteArrayView letters, Vocabulary within) const
{
    LetterCounts counts{};
    int taken = 0;
    for (const char c : letters) {
        if (c >= 'a' && c <= 'z' && taken < kMaxLetters) {
            ++counts[c - 'a'];
            ++taken;
        }
    }
    std::array<int, kMaxLetters> distinct{};
    int distinctCount = 0;
    for (int letter = 0; letter < kLetters; ++letter) {
        if (counts[letter])
            distinct[distinctCount++] = letter;
    }

    QList<QByteArrayView> found;
    const auto lookUp = [&](quint64 key) {
        for (auto entry = firstWithKey(key); entry != m_entries.end() && entry->key == key; ++entry) {
            if (entry->level <= quint8(within))
                found.append(wordOf(*entry));
        }
    };
    // Every choice of how many of each distinct letter to take, the empty
    // one aside: the product of (count + 1) over the letters, less one.
    const auto visit = [&](const auto &self, int at, quint64 key) -> void {
        if (at == distinctCount) {
            if (key)
                lookUp(key);
            return;
        }
        const int letter = distinct[at];
        for (int n = 0; n <= counts[letter]; ++n) {
            self(self, at + 1, key);
            key = key << 5 | quint64(letter + 1);
        }
    };
    visit(visit, 0, 0);
    return found;
}

int WordIndex::levelOf(QByteArrayView word) const
{
    if (word.isEmpty() || word.size() > kMaxLetters)
        return 0;
    LetterCounts counts{};
    for (const char c : word) {
        if (c < 'a' || c > 'z')
            return 0;
        ++counts[c - 'a'];
    }
    const quint64 key = keyOf(counts);
    for (auto entry = firstWithKey(key); entry != m_entries.end() && entry->key == key; ++entry) {
        if (wordOf(*entry) == word)
            return entry->level;
    }
    return 0;
}
