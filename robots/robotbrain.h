#pragma once

#include "base/strength.h"
#include "robots/wordindex.h"
#include "words/letterwords.h"

#include <QByteArray>
#include <QList>
#include <QRandomGenerator>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

// "Robot (Easy)" and so on.
QString defaultRobotName(Strength strength);
// A short name for a computer player at a table, one that none of the names
// taken there already has (in any letter case); it fits a seat's label.
QString tableRobotName(const QStringList &taken);

// The mind of a computer player, apart from any connection: given the rack
// it plays from, it picks the next word and how long to seem to think about
// it. Its strength lies in the words it knows and how readily it sees them
// among the tiles, not in search depth: every rack is a shuffled ten-letter
// word, so a perfect finder would strike every frame.
//
// It sees each word its vocabulary can spell from the tiles left with a
// chance that falls with the word's length, and plays the longest it saw.
// "Easy" knows common words only and rarely sees long ones; "Medium" knows
// more and sees further; "Hard" knows the whole dictionary and sees the
// strike often but not always. Thinking time grows with the word's length,
// varies at random, and always fits in the time left.
class RobotBrain
{
public:
    using Rack = letterwords::Rack;

    // No word is played faster than this; with less time left, none at all.
    static constexpr int kMinThinkMs = 1500;

    struct Move
    {
        QByteArray word;
        QList<int> positions;   // rack tiles (1 to 10) in the word's order
        int thinkMs = 0;
    };

    RobotBrain(Strength strength, const WordIndex &index, quint32 seed);

    Strength strength() const { return m_strength; }
    // Starts the choices and thinking times over from a fixed seed.
    void reseed(quint32 seed) { m_random.seed(seed); }
    Vocabulary vocabulary() const;

    // A fresh rack (tile 1 to 10; 0 for an empty tile) that takes at most
    // `words` words.
    void newRack(const Rack &rack, int words);
    // The next word for the rack and its thinking time, which leaves room
    // for a further word on this rack and never exceeds msLeft. Nothing when
    // no word comes to mind, the rack has no word left to take, or time is
    // too short.
    std::optional<Move> think(qint64 msLeft);
    // The word of the last move was accepted: its tiles are used up.
    void accepted();
    // It was refused: it is not tried again on this rack.
    void refused();

    const Rack &rack() const { return m_rack; }
    int wordsLeft() const { return m_wordsLeft; }

private:
    std::optional<QByteArray> pickWord();
    QList<int> tilesFor(QByteArrayView word) const;
    int thinkingTime(int letters, qint64 msLeft);

    Strength m_strength;
    const WordIndex &m_index;
    QRandomGenerator m_random;
    Rack m_rack{};
    int m_wordsLeft = 0;
    std::optional<Move> m_last;
    QSet<QByteArray> m_refused;
};
