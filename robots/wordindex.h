#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <vector>

// How widely known a word is: the computer players' vocabularies nest,
// each taking every word of the levels below it.
enum class Vocabulary : quint8 {
    Common = 1,     // everyday words
    Familiar = 2,   // what a keen reader knows
    Whole = 3,      // the whole dictionary
};

// The dictionary's words of up to ten letters, found by their letters: a
// rack's candidates are the words spelled by any selection of its tiles.
// Words are keyed by their letters in alphabetical order, so a ten-letter
// rack needs at most 1,023 look-ups, one per choice of letters.
class WordIndex
{
public:
    static constexpr int kMaxLetters = 10;

    // records: the dictionary's 15-byte records; levels: one byte per
    // record, '1' to '3' (see Vocabulary). Levels of another count than the
    // records are not this dictionary's: every word is then of the whole
    // dictionary only. "a" and "i", words the judge takes without the
    // dictionary, are common words.
    WordIndex(QByteArrayView records, QByteArrayView levels);

    // The index of the program's own word lists, built on first use and
    // shared by every computer player of the process.
    static const WordIndex &shared();

    // The words of vocabulary up to `within` spelled by some of letters (each
    // letter used at most as often as it appears; anything but a..z is
    // skipped). Each word once; they stay valid as long as the index.
    QList<QByteArrayView> candidates(QByteArrayView letters, Vocabulary within) const;
    // The vocabulary level a word belongs to; 0 for a word not in the index.
    int levelOf(QByteArrayView word) const;
    qsizetype size() const { return qsizetype(m_entries.size()); }

private:
    struct Entry
    {
        quint64 key;        // the letters in alphabetical order, 5 bits each
        quint32 offset;     // into m_words
        quint8 length;
        quint8 level;
    };

    void add(QByteArrayView word, int level);
    std::vector<Entry>::const_iterator firstWithKey(quint64 key) const;
    QByteArrayView wordOf(const Entry &entry) const
    {
        return QByteArrayView(m_words).sliced(entry.offset, entry.length);
    }

    QByteArray m_words;   // every word's letters, one after the other
    std::vector<Entry> m_entries;   // sorted by key
};
