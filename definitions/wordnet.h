#pragma once

#include "definitions/sortedtextfile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <array>
#include <optional>

enum class PartOfSpeech : quint8 { Noun, Verb, Adjective, Adverb };
inline constexpr std::array<PartOfSpeech, 4> kPartsOfSpeech = {PartOfSpeech::Noun, PartOfSpeech::Verb,
                                                               PartOfSpeech::Adjective, PartOfSpeech::Adverb};
// "noun", "verb", "adjective", "adverb".
QString partOfSpeechName(PartOfSpeech part);

// WordNet's database as its documented files hold it, read in place: per
// part of speech a sorted index of lemmas (index.noun ...) with the byte
// offsets of their senses in the data file (data.noun ...), and a sorted
// list of irregular inflections (noun.exc ...). The files are mapped when
// this is made and read only by bounded searches; a damaged file gives no
// lemma, or no gloss, never a crash.
class WordNet
{
public:
    // A lemma's line of the index: its senses' offsets in the data file,
    // most frequent first, and how many of them were counted in tagged
    // texts (a lemma's weight against the same word in another part).
    struct Entry
    {
        QList<qint64> offsets;
        int tagged = 0;
    };

    explicit WordNet(const QString &folder);
    WordNet(const WordNet &) = delete;
    WordNet &operator=(const WordNet &) = delete;

    // Every index and data file is there (the exception lists may be
    // missing: only irregular forms are then not found).
    bool isComplete() const { return m_complete; }

    // See SortedTextFile::release().
    void release() const;

    std::optional<Entry> entry(QByteArrayView lemma, PartOfSpeech part) const;
    bool has(QByteArrayView lemma, PartOfSpeech part) const { return entry(lemma, part).has_value(); }
    // The sense's gloss without its examples; empty when the record at
    // offset is not a sense (damage).
    QString gloss(PartOfSpeech part, qint64 offset) const;
    // The first gloss of lemma in part; empty when there is none.
    QString firstGloss(QByteArrayView lemma, PartOfSpeech part) const;

    // The lemmas of part that word is a form of, in the order WordNet's
    // own rules find them: irregular forms from the exception list, the
    // word itself, then the regular endings detached ("knocked": "knock").
    QList<QByteArray> baseForms(QByteArrayView word, PartOfSpeech part) const;
    // The base forms the exception list gives for word, listed or not.
    QList<QByteArray> exceptions(QByteArrayView word, PartOfSpeech part) const;
    // The word with each regular ending of part detached that fits it
    // ("knocked": "knocke", "knock"), listed or not.
    static QList<QByteArray> detached(QByteArrayView word, PartOfSpeech part);
    // A lemma written as two words ("after-shave") that word spells closed
    // up ("aftershave"), or as its regular inflection; empty when none.
    QByteArray closedCompound(QByteArrayView word, PartOfSpeech part) const;

private:
    struct Files
    {
        SortedTextFile index;
        SortedTextFile data;
        SortedTextFile exceptions;
    };
    const Files &files(PartOfSpeech part) const { return m_files[size_t(part)]; }

    std::array<Files, 4> m_files;
    bool m_complete = false;
};
