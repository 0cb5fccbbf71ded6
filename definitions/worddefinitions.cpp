#include "definitions/worddefinitions.h"

#include "definitions/derivations.h"

#include <algorithm>

namespace {

// The senses of one part of speech, from each lemma the word is a form of.
struct Group
{
    PartOfSpeech part;
    int tagged = 0;
    QList<std::pair<QByteArray, qint64>> senses;   // lemma, offset in the data
};

QString shownLemma(const QByteArray &lemma)
{
    return QString::fromLatin1(lemma).replace(QLatin1Char('_'), QLatin1Char(' '));
}

} // namespace

WordDefinitions::WordDefinitions(QString folder) : m_folder(std::move(folder)) {}

WordDefinitions::~WordDefinitions() = default;

QString WordDefinitions::dataFolder()
{
    const QString chosen = qEnvironmentVariable("WNSEARCHDIR");
    return chosen.isEmpty() ? QStringLiteral("/usr/share/wordnet") : chosen;
}

WordDefinitions &WordDefinitions::shared()
{
    static WordDefinitions definitions;
    return definitions;
}

const WordNet *WordDefinitions::wordnet()
{
    if (!m_opened) {
        m_opened = true;
        m_wordnet = std::make_unique<WordNet>(m_folder);
        if (!m_wordnet->isComplete())
            m_wordnet.reset();
    }
    return m_wordnet.get();
}

bool WordDefinitions::available()
{
    return wordnet() != nullptr;
}

Definition WordDefinitions::define(QStringView text)
{
    Definition definition{text.trimmed().toString().toLower(), {}};
    const QString &word = definition.word;
    const bool letters = std::all_of(word.begin(), word.end(), [](QChar c) { return c >= u'a' && c <= u'z'; });
    const WordNet *data = letters && !word.isEmpty() && word.size() <= kMaxLetters ? wordnet() : nullptr;
    if (!data)
        return definition;
    const QByteArray key = word.toLatin1();

    QList<Group> groups;
    for (const PartOfSpeech part : kPartsOfSpeech) {
        QList<QByteArray> lemmas = data->baseForms(key, part);
        Group group{part, 0, {}};
        for (const QByteArray &lemma : std::as_const(lemmas)) {
            const std::optional<WordNet::Entry> entry = data->entry(lemma, part);
            if (!entry)
                continue;
            group.tagged = std::max(group.tagged, entry->tagged);
            for (const qint64 offset : entry->offsets) {
                if (!group.senses.contains(std::pair{lemma, offset}))
                    group.senses.append({lemma, offset});
            }
        }
        if (!group.senses.isEmpty())
            groups << group;
    }
    // Spelled closed up: "aftershave" is WordNet's "after-shave".
    if (groups.isEmpty()) {
        for (const PartOfSpeech part : kPartsOfSpeech) {
            const QByteArray lemma = data->closedCompound(key, part);
            if (const std::optional<WordNet::Entry> entry = lemma.isEmpty() ? std::nullopt : data->entry(lemma, part)) {
                Group group{part, entry->tagged, {}};
                for (const qint64 offset : entry->offsets)
                    group.senses.append({lemma, offset});
                groups << group;
            }
        }
    }
    // The part of speech met most often in texts first; then one sense of
    // each part in turn, so that "spare" shows its noun and its verb.
    std::stable_sort(groups.begin(), groups.end(),
                     [](const Group &a, const Group &b) { return a.tagged > b.tagged; });
    for (qsizetype round = 0; definition.senses.size() < kMaxSenses; ++round) {
        bool any = false;
        for (const Group &group : std::as_const(groups)) {
            if (round >= group.senses.size() || definition.senses.size() >= kMaxSenses)
                continue;
            any = true;
            const auto &[lemma, offset] = group.senses[round];
            const QString gloss = data->gloss(group.part, offset);
            if (!gloss.isEmpty())
                definition.senses << Sense{group.part, shownLemma(lemma), gloss};
        }
        if (!any)
            break;
    }
    if (groups.isEmpty()) {
        for (const DerivedSense &derived : derivedSenses(key, *data))
            definition.senses << Sense{derived.part, word, derived.gloss};
    }
    // The mapped pages read (with the neighbours the system maps with each)
    // count as the program's resident memory until let go: a few dozen
    // lookups would hold megabytes, one lookup half a megabyte. Letting go
    // after every lookup would make each read its pages again.
    if (++m_lookupsHeld >= kLookupsHeld) {
        data->release();
        m_lookupsHeld = 0;
    }
    return definition;
}

QString WordDefinitions::entryText(const QString &word, const Sense &sense)
{
    return QStringList{word, partOfSpeechName(sense.part), sense.gloss}.join(QStringLiteral(", "));
}
