#include "robots/robotbrain.h"

#include <array>

namespace {

struct Profile
{
    Vocabulary vocabulary;
    // The chance of seeing a word of n letters (index n) that the tiles spell.
    std::array<double, 11> sees;
    // Thinking time: a start plus a time per letter, times a random factor.
    int startMs;
    int perLetterMs;
};

// Tuned so that over many games the average totals come near 80, 150
// and 230 (bench/robots measures them).
const Profile &profileOf(Strength strength)
{
    static const Profile easy{Vocabulary::Common,
                              {0, 0.5, 0.5, 0.45, 0.2, 0.06, 0.02, 0.01, 0.01, 0.01, 0.01},
                              7000, 1400};
    static const Profile medium{Vocabulary::Familiar,
                                {0, 0.8, 0.8, 0.8, 0.8, 0.8, 0.7, 0.6, 0.5, 0.4, 0.62},
                                5000, 1000};
    static const Profile hard{Vocabulary::Whole,
                              {0, 0.9, 0.9, 0.9, 0.9, 0.9, 0.9, 0.9, 0.8, 0.7, 0.74},
                              3500, 700};
    switch (strength) {
    case Strength::Easy:
        return easy;
    case Strength::Medium:
        return medium;
    case Strength::Hard:
        break;
    }
    return hard;
}

// A spread of thinking times: from this fraction of the profile's time...
constexpr double kSlowest = 1.35;
constexpr double kFastest = 0.75;
// ...and the share of the time left that a first word may take when a
// second word is to follow on the same rack.
constexpr double kFirstWordShare = 0.6;

} // namespace

QString defaultRobotName(Strength strength)
{
    return QStringLiteral("Robot (%1)").arg(strengthName(strength));
}

QString tableRobotName(const QStringList &taken)
{
    static const char *const kNames[] = {"Bolt",  "Chip",  "Cog",    "Dot",   "Gizmo",
                                         "Pixel", "Rivet", "Widget", "Ziggy", "Sprocket"};
    for (const char *name : kNames) {
        if (!taken.contains(QLatin1String(name), Qt::CaseInsensitive))
            return QLatin1String(name);
    }
    // More robots than names: numbered, still distinct.
    for (int n = 2;; ++n) {
        const QString name = QStringLiteral("Bolt %1").arg(n);
        if (!taken.contains(name, Qt::CaseInsensitive))
            return name;
    }
}

RobotBrain::RobotBrain(Strength strength, const WordIndex &index, quint32 seed)
    : m_strength(strength), m_index(index), m_random(seed)
{
}

Vocabulary RobotBrain::vocabulary() const
{
    return profileOf(m_strength).vocabulary;
}

void RobotBrain::newRack(const Rack &rack, int words)
{
    m_rack = rack;
    m_wordsLeft = words;
    m_last.reset();
    m_refused.clear();
}

std::optional<RobotBrain::Move> RobotBrain::think(qint64 msLeft)
{
    m_last.reset();
    if (m_wordsLeft <= 0)
        return std::nullopt;
    const std::optional<QByteArray> word = pickWord();
    if (!word)
        return std::nullopt;
    const int thinkMs = thinkingTime(int(word->size()), msLeft);
    if (thinkMs < 0)
        return std::nullopt;
    m_last = Move{*word, tilesFor(*word), thinkMs};
    return m_last;
}

void RobotBrain::accepted()
{
    if (!m_last)
        return;
    for (const int tile : std::as_const(m_last->positions))
        m_rack[tile] = 0;
    --m_wordsLeft;
    m_last.reset();
    m_refused.clear();
}

void RobotBrain::refused()
{
    if (m_last)
        m_refused.insert(m_last->word);
    m_last.reset();
}

std::optional<QByteArray> RobotBrain::pickWord()
{
    QByteArray letters;
    for (int tile = 1; tile < int(m_rack.size()); ++tile) {
        if (m_rack[tile] >= 'a' && m_rack[tile] <= 'z')
            letters += m_rack[tile];
    }
    const Profile &profile = profileOf(m_strength);
    QList<QByteArrayView> longest;
    for (const QByteArrayView word : m_index.candidates(letters, profile.vocabulary)) {
        const qsizetype length = word.size();
        if (length >= qsizetype(profile.sees.size()) || m_random.generateDouble() >= profile.sees[length]
            || m_refused.contains(word.toByteArray()))
            continue;
        if (!longest.isEmpty() && longest.first().size() > length)
            continue;
        if (!longest.isEmpty() && longest.first().size() < length)
            longest.clear();
        longest.append(word);
    }
    if (longest.isEmpty())
        return std::nullopt;
    return longest.at(m_random.bounded(int(longest.size()))).toByteArray();
}

QList<int> RobotBrain::tilesFor(QByteArrayView word) const
{
    QList<int> tiles;
    Rack left = m_rack;
    for (const char letter : word) {
        for (int tile = 1; tile < int(left.size()); ++tile) {
            if (left[tile] == letter) {
                tiles.append(tile);
                left[tile] = 0;
                break;
            }
        }
    }
    return tiles;
}

// The time to think about a word of this many letters, or -1 when there is
// no time for it.
int RobotBrain::thinkingTime(int letters, qint64 msLeft)
{
    const Profile &profile = profileOf(m_strength);
    const double pace = (profile.startMs + profile.perLetterMs * letters)
                        * (kFastest + (kSlowest - kFastest) * m_random.generateDouble());
    const bool moreToCome = m_wordsLeft > 1 && letters < WordIndex::kMaxLetters;
    const double budget = moreToCome ? double(msLeft) * kFirstWordShare : double(msLeft);
    if (budget < kMinThinkMs)
        return -1;
    return int(std::min(pace, budget));
}
