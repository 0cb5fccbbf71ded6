#include "definitions/derivations.h"

#include <utility>

namespace {

using Part = PartOfSpeech;

// How the derived word relates to its base; each makes the phrase the
// gloss opens with.
enum class Relation { Manner, Quality, Agent, Act, Possible, Without, Not, Undo, Again };

struct SuffixRule
{
    const char *suffix;
    const char *ending;   // put back on the stem to make the base
    Part base;
    Part part;
    Relation relation;
};

// The derivations that held up on the game's own words. The adverbs and
// nouns first: they are the commonest.
const SuffixRule kSuffixRules[] = {
    {"ly", "", Part::Adjective, Part::Adverb, Relation::Manner},
    {"ily", "y", Part::Adjective, Part::Adverb, Relation::Manner},
    {"ly", "le", Part::Adjective, Part::Adverb, Relation::Manner},
    {"ally", "", Part::Adjective, Part::Adverb, Relation::Manner},
    {"lly", "ll", Part::Adjective, Part::Adverb, Relation::Manner},
    {"ness", "", Part::Adjective, Part::Noun, Relation::Quality},
    {"iness", "y", Part::Adjective, Part::Noun, Relation::Quality},
    {"er", "", Part::Verb, Part::Noun, Relation::Agent},
    {"er", "e", Part::Verb, Part::Noun, Relation::Agent},
    {"or", "", Part::Verb, Part::Noun, Relation::Agent},
    {"or", "e", Part::Verb, Part::Noun, Relation::Agent},
    {"ment", "", Part::Verb, Part::Noun, Relation::Act},
    {"able", "", Part::Verb, Part::Adjective, Relation::Possible},
    {"able", "e", Part::Verb, Part::Adjective, Relation::Possible},
    {"ible", "", Part::Verb, Part::Adjective, Relation::Possible},
    {"ible", "e", Part::Verb, Part::Adjective, Relation::Possible},
    {"less", "", Part::Noun, Part::Adjective, Relation::Without},
};

struct PrefixRule
{
    const char *prefix;
    Part base;
    Part part;
    Relation relation;
};

const PrefixRule kPrefixRules[] = {
    {"un", Part::Adjective, Part::Adjective, Relation::Not},
    {"un", Part::Verb, Part::Verb, Relation::Undo},
    {"non", Part::Adjective, Part::Adjective, Relation::Not},
    {"re", Part::Verb, Part::Verb, Relation::Again},
};

// A base shorter than this makes chance matches ("re" + "do").
constexpr qsizetype kMinBase = 3;
constexpr qsizetype kMaxDerived = 3;

bool endsWithConsonantY(const QByteArray &word)
{
    return word.size() >= 2 && word.endsWith('y') && !QByteArrayView("aeiou").contains(word[word.size() - 2]);
}

// Regular inflections of a verb, for the phrases.
QByteArray thirdPerson(const QByteArray &verb)
{
    if (endsWithConsonantY(verb))
        return verb.chopped(1) + "ies";
    for (const char *ending : {"s", "x", "z", "ch", "sh", "o"}) {
        if (verb.endsWith(ending))
            return verb + "es";
    }
    return verb + 's';
}

QByteArray presentParticiple(const QByteArray &verb)
{
    if (verb.endsWith("ie"))
        return verb.chopped(2) + "ying";
    if (verb.endsWith('e') && !verb.endsWith("ee") && !verb.endsWith("ye") && !verb.endsWith("oe"))
        return verb.chopped(1) + "ing";
    return verb + "ing";
}

QByteArray pastParticiple(const QByteArray &verb)
{
    if (verb.endsWith('e'))
        return verb + 'd';
    if (endsWithConsonantY(verb))
        return verb.chopped(1) + "ied";
    return verb + "ed";
}

// The phrase the gloss opens with, and whether it names the base as it
// stands (else the gloss names it: "one that installs (install: ...)").
std::pair<QString, bool> phrase(Relation relation, const QByteArray &base, QByteArrayView written)
{
    const QString b = QString::fromLatin1(base);
    switch (relation) {
    case Relation::Manner:
        return {QStringLiteral("in a way that is ") + b, true};
    case Relation::Quality:
        return {QStringLiteral("the quality of being ") + b, true};
    case Relation::Agent:
        return {QStringLiteral("one that ") + QString::fromLatin1(thirdPerson(base)), false};
    case Relation::Act:
        return {QStringLiteral("the act or result of ") + QString::fromLatin1(presentParticiple(base)), false};
    case Relation::Possible:
        return {QStringLiteral("able to be ") + QString::fromLatin1(pastParticiple(base)), false};
    case Relation::Without:
        return {QStringLiteral("having no ") + b, true};
    case Relation::Not:
        return {QStringLiteral("not ") + b, true};
    case Relation::Undo:
        // "unclenched" is not clenched; "unlatching" undoes the latching.
        if (written.endsWith("ed"))
            return {QStringLiteral("not ") + QString::fromLatin1(written), false};
        return {QStringLiteral("undo: ") + b, true};
    case Relation::Again:
        return {b + QStringLiteral(" again"), true};
    }
    return {b, true};
}

} // namespace

QList<DerivedSense> derivedSenses(QByteArrayView word, const WordNet &wordnet)
{
    QList<DerivedSense> senses;
    const auto add = [&](Part part, Relation relation, const QByteArray &base, Part basePart, QByteArrayView written) {
        const QString baseGloss = wordnet.firstGloss(base, basePart);
        if (baseGloss.isEmpty() || senses.size() >= kMaxDerived)
            return;
        const auto [opening, namesBase] = phrase(relation, base, written);
        const QString named = namesBase ? QString() : QString::fromLatin1(base) + QStringLiteral(": ");
        const DerivedSense sense{part, opening + QStringLiteral(" (") + named + baseGloss + QLatin1Char(')')};
        if (!senses.contains(sense))
            senses << sense;
    };

    for (const SuffixRule &rule : kSuffixRules) {
        // A derived noun may be plural: "installers".
        QList<QByteArray> forms{word.toByteArray()};
        if (rule.part == Part::Noun)
            forms << WordNet::detached(word, Part::Noun);
        for (const QByteArray &form : std::as_const(forms)) {
            const QByteArrayView suffix(rule.suffix);
            if (!form.endsWith(suffix) || form.size() - suffix.size() < kMinBase)
                continue;
            const QByteArray base = form.chopped(suffix.size()) + rule.ending;
            if (wordnet.has(base, rule.base))
                add(rule.part, rule.relation, base, rule.base, form);
        }
    }
    for (const PrefixRule &rule : kPrefixRules) {
        const QByteArrayView prefix(rule.prefix);
        if (!word.startsWith(prefix) || word.size() - prefix.size() < kMinBase)
            continue;
        const QByteArrayView rest = word.sliced(prefix.size());
        // A participle with un- is an adjective: "unbudgeted".
        const Part part = rule.relation == Relation::Undo && rest.endsWith("ed") ? Part::Adjective : rule.part;
        for (const QByteArray &base : wordnet.baseForms(rest, rule.base))
            add(part, rule.relation, base, rule.base, rest);
    }
    return senses;
}
