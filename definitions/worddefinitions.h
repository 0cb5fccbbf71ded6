#pragma once

#include "definitions/wordnet.h"

#include <QList>
#include <QString>
#include <QStringView>

#include <memory>

// One meaning of a word: its part of speech, the lemma it is a meaning of
// ("knock" for "knocked"; the word itself where they are the same) and a
// short gloss.
struct Sense
{
    PartOfSpeech part = PartOfSpeech::Noun;
    QString lemma;
    QString gloss;

    bool operator==(const Sense &) const = default;
};

struct Definition
{
    QString word;           // as looked up, in lower case
    QList<Sense> senses;    // the commonest first; none: no definition found

    bool found() const { return !senses.isEmpty(); }
};

// Word meanings from WordNet's data as Debian installs it (wordnet-base),
// looked up on this machine. Nothing is read until the first lookup, which
// maps the files; a copy that never looks a word up costs nothing. Without
// the data every lookup finds nothing and available() says so.
class WordDefinitions
{
public:
    static constexpr int kMaxSenses = 3;
    // Longer than any word of the game; a longer one is not looked up.
    static constexpr qsizetype kMaxLetters = 32;

    explicit WordDefinitions(QString folder = dataFolder());
    ~WordDefinitions();
    WordDefinitions(const WordDefinitions &) = delete;
    WordDefinitions &operator=(const WordDefinitions &) = delete;

    // WNSEARCHDIR when set, as for WordNet's own programs; else where
    // Debian installs the data.
    static QString dataFolder();
    // The program's one copy, made at its first use.
    static WordDefinitions &shared();

    static QString missingText() { return QStringLiteral("Definitions need the package wordnet-base"); }
    static QString noneText() { return QStringLiteral("no definition found"); }

    // Whether the data is installed; the first call opens it.
    bool available();
    // Up to kMaxSenses senses of word (any case; anything but letters finds
    // nothing), from every part of speech it has, its inflections and
    // regular derivations included.
    Definition define(QStringView word);

    // "knocked, verb, deliver a blow ...": one entry as a screen reader
    // reads it.
    static QString entryText(const QString &word, const Sense &sense);

private:
    const WordNet *wordnet();

    QString m_folder;
    std::unique_ptr<WordNet> m_wordnet;
    bool m_opened = false;
    // Lookups whose pages are held before they are let go.
    static constexpr int kLookupsHeld = 4;
    int m_lookupsHeld = 0;
};
