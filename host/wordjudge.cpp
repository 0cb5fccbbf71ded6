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
    if (!game::isSeat(seat) || !m_table.frameInPlay())
        return false;
    const TPlayerSlot &player = m_table.players[seat];
    return player.letterset >= 1 && player.letterset <= game::kRacks && player.balls >= 0
           && player.balls < TPlayerSlot::kFinished;
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
        if (!game::isTile(position) || tiles[position] == kUsed) {
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
    for (int w = 1; w <= game::kBalls; ++w) {
        if (player.words[w].isEmpty()) {
            player.words[w] = word.left(game::kTiles);
            break;
        }
    }
    for (int position = 1; position <= game::kTiles; ++position) {
        if (tiles[position] == kTaken)
            tiles[position] = kUsed;
    }
    advance(player, int(word.size()), verdict);
    if (player.balls == TPlayerSlot::kFinished && everySeatFinished()) {
        closeFrame();
        verdict.frameOver = true;
    }
    return verdict;
}

void WordJudge::restoreRack(TPlayerSlot &seat, int rack) const
{
    Rack &tiles = seat.tiles[rack];
    for (int position = 1; position <= game::kTiles; ++position) {
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
        seat.balls = TPlayerSlot::kFinished;
    };
    const auto bonusRack = [&](int rack) {
        seat.letterset = rack;
        verdict.sendRack = rack;
    };
    const bool tenth = frame == game::kFrames;
    if (balls == 1) {
        if (letters == game::kTiles)
            tenth ? bonusRack(2) : finish();
        // else: a second word from what is left of the rack
    } else if (balls == 2) {
        if (!tenth)
            finish();
        else if (letters == game::kTiles || score.first + score.second == game::kTiles)
            bonusRack(3);   // strike on the bonus rack, or a spare
        else if (score.first != game::kTiles)
            finish();
        // else: the third word comes from what is left of rack 2
    } else {
        finish();
    }
}

bool WordJudge::everySeatFinished() const
{
    for (int s = 1; s <= game::kSeats; ++s) {
        const TPlayerSlot &seat = m_table.players[s];
        if (seat.connected && seat.balls != TPlayerSlot::kFinished)
            return false;
    }
    return true;
}

void WordJudge::closeFrame()
{
    for (int s = 1; s <= game::kSeats; ++s)
        BowlingScorer::fillUnplayed(m_table.players[s].frames[m_table.currentframe], m_table.currentframe);
}
