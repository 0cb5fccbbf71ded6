#include "host/wordjudge.h"

#include "host/bowlingscorer.h"

#include <QString>

namespace {
constexpr char kTaken = '*';
constexpr char kUsed = 0;
} // namespace

WordJudge::WordJudge(HostTable &table, Lookup lookup) : m_table(table), m_lookup(std::move(lookup)) {}

bool WordJudge::canPlay(int seat) const
{
    if (!HostTable::isSeat(seat) || !m_table.frameInPlay())
        return false;
    const TPlayerSlot &player = m_table.players[seat];
    return player.letterset >= 1 && player.letterset <= 3 && player.balls >= 0 && player.balls < 4;
}

WordJudge::Verdict WordJudge::judge(int seat, std::span<const int> positions)
{
    Verdict verdict;
    if (!canPlay(seat))
        return verdict;
    TPlayerSlot &player = m_table.players[seat];
    const int rack = player.letterset;
    player.letterword = rack == 1 ? m_table.frameword : rack == 2 ? m_table.bonusword2 : m_table.bonusword3;

    verdict.outcome = Outcome::Refused;
    if (positions.empty())
        return verdict;
    Rack &tiles = player.tiles[rack];
    QByteArray word;
    for (const int position : positions) {
        if (position < 1 || position > 10 || tiles[position] == kUsed) {
            restoreRack(player, rack);
            return verdict;
        }
        // A position given twice reads '*' the second time, which no
        // dictionary word contains.
        word += tiles[position];
        tiles[position] = kTaken;
    }
    const bool valid = word == "a" || word == "i" || (!word.contains(kTaken) && m_lookup(QString::fromLatin1(word)));
    if (!valid) {
        restoreRack(player, rack);
        return verdict;
    }

    verdict.outcome = Outcome::Accepted;
    for (int w = 1; w <= 3; ++w) {
        if (player.words[w].isEmpty()) {
            player.words[w] = word.left(10);
            break;
        }
    }
    for (int position = 1; position <= 10; ++position) {
        if (tiles[position] == kTaken)
            tiles[position] = kUsed;
    }
    advance(player, int(word.size()), verdict);
    if (player.balls == 4 && everySeatFinished()) {
        closeFrame();
        verdict.frameOver = true;
    }
    return verdict;
}

void WordJudge::restoreRack(TPlayerSlot &seat, int rack) const
{
    Rack &tiles = seat.tiles[rack];
    for (int position = 1; position <= 10; ++position) {
        if (tiles[position] == kTaken)
            tiles[position] = m_table.mastertiles[rack][position];
    }
}

// Records the accepted word in the frame and decides which rack, if any,
// the seat plays next.
void WordJudge::advance(TPlayerSlot &seat, int letters, Verdict &verdict) const
{
    const int frame = m_table.currentframe;
    TFrameScore &score = seat.frames[frame];
    const int balls = ++seat.balls;
    (balls == 1 ? score.first : balls == 2 ? score.second : score.third) = letters;
    verdict.balls = balls;
    verdict.letters = letters;

    const auto finish = [&seat] {
        seat.letterset = 0;
        seat.balls = 4;
    };
    const auto bonusRack = [&](int rack) {
        seat.letterset = rack;
        verdict.sendRack = rack;
    };
    const bool tenth = frame == HostTable::kFrames;
    if (balls == 1) {
        if (letters == 10)
            tenth ? bonusRack(2) : finish();
        // else: a second word from what is left of the rack
    } else if (balls == 2) {
        if (!tenth)
            finish();
        else if (letters == 10 || score.first + score.second == 10)
            bonusRack(3);   // strike on the bonus rack, or a spare
        else if (score.first != 10)
            finish();
        // else: the third word comes from what is left of rack 2
    } else {
        finish();
    }
}

bool WordJudge::everySeatFinished() const
{
    for (int s = 1; s <= HostTable::kSeats; ++s) {
        const TPlayerSlot &seat = m_table.players[s];
        if (seat.connected && seat.balls != 4)
            return false;
    }
    return true;
}

void WordJudge::closeFrame()
{
    for (int s = 1; s <= HostTable::kSeats; ++s)
        BowlingScorer::fillUnplayed(m_table.players[s].frames[m_table.currentframe], m_table.currentframe);
}
