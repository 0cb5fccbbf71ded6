#include "host/bowlingscorer.h"

namespace {

// One pin per letter of a full rack.
constexpr int kPins = game::kTiles;

// -1 (not played) counts as nothing.
int pins(int count)
{
    return count < 0 ? 0 : count;
}

} // namespace

void BowlingScorer::computeRunning(FrameRecords &frames, int frame)
{
    // Only frames already played can pay a bonus.
    const auto known = [&](int i, int TFrameScore::*count) { return i <= frame && frames[i].*count != -1; };
    for (int i = 1; i <= frame && i <= game::kFrames; ++i) {
        TFrameScore &f = frames[i];
        const int before = i == 1 ? 0 : frames[i - 1].running;
        // A frame before it still waits for its bonus, and so does this one.
        if (before < 0) {
            f.running = -1;
            continue;
        }
        int running = before + pins(f.first) + pins(f.second);
        if (i == game::kFrames) {
            // The bonus racks are already in frame 10's own three counts.
            f.running = running + pins(f.third);
            continue;
        }
        if (f.first == kPins) {
            if (known(i + 1, &TFrameScore::first) && known(i + 1, &TFrameScore::second))
                running += frames[i + 1].first + frames[i + 1].second;
            else if (known(i + 1, &TFrameScore::first) && frames[i + 1].first == kPins
                     && known(i + 2, &TFrameScore::first))
                running += kPins + frames[i + 2].first;
            else
                running = -1;
        } else if (f.first + f.second == kPins) {
            running = known(i + 1, &TFrameScore::first) ? running + frames[i + 1].first : -1;
        }
        f.running = running;
    }
}

int BowlingScorer::totalOf(const FrameRecords &frames, int frame)
{
    // The last known running score, then the raw letters of the frames after
    // it whose bonuses are not known yet.
    int k = 1;
    for (int i = frame; i >= 1; --i) {
        if (frames[i].running > 0) {
            k = i;
            break;
        }
    }
    int total = frames[k].running > 0 ? frames[k].running : 0;
    for (int j = k + 1; j <= frame; ++j)
        total += pins(frames[j].first) + pins(frames[j].second) + pins(frames[j].third);
    return total;
}

msg::SeatScore BowlingScorer::scoreSeat(int seat)
{
    TPlayerSlot &player = m_table.players[seat];
    const int frame = m_table.currentframe;
    if (!game::isFrame(frame))
        return {};
    computeRunning(player.frames, frame);
    player.total = totalOf(player.frames, frame);
    TFrameScore &current = player.frames[frame];
    if (!player.connected) {
        for (int *count : {&current.first, &current.second, &current.third, &current.running}) {
            if (*count == -1)
                *count = 0;
        }
    }

    msg::SeatScore score;
    score.seat = seat;
    score.total = player.total;
    score.counts = {current.first, current.second, current.third};
    for (int w = 1; w <= game::kBalls; ++w)
        score.words[w - 1] = player.words[w];
    for (int k = 1; k <= game::kFrames; ++k)
        score.running[k - 1] = k <= frame ? player.frames[k].running : -1;
    return score;
}

QList<msg::SeatScore> BowlingScorer::scoreAll()
{
    QList<msg::SeatScore> scores;
    for (int seat = 1; seat <= game::kSeats; ++seat)
        scores << scoreSeat(seat);
    return scores;
}

void BowlingScorer::fillUnplayed(TFrameScore &score, int frame)
{
    if (score.first != -1)
        return;
    score.first = 0;
    score.second = 0;
    if (frame == game::kFrames)
        score.third = 0;
}

void BowlingScorer::fillTimeUp(TFrameScore &score, int frame)
{
    if (frame == game::kFrames) {
        for (int *count : {&score.first, &score.second, &score.third}) {
            if (*count == -1)
                *count = 0;
        }
        return;
    }
    if (score.first == -1)
        score.first = 0;
    // A strike keeps its second word unplayed.
    if (score.second == -1 && score.first != kPins)
        score.second = 0;
}

void BowlingScorer::timeUp()
{
    if (!m_table.frameInPlay())
        return;
    for (int seat = 1; seat <= game::kSeats; ++seat)
        fillTimeUp(m_table.players[seat].frames[m_table.currentframe], m_table.currentframe);
}

QList<int> BowlingScorer::winners() const
{
    const auto total = [this](int seat) { return m_table.players[seat].total; };
    if (m_table.teamgame) {
        const int a = total(1) + total(3);
        const int b = total(2) + total(4);
        return a > b ? QList<int>{1, 3} : b > a ? QList<int>{2, 4} : QList<int>{1, 3, 2, 4};
    }
    int best = 1;
    for (int seat = 2; seat <= game::kSeats; ++seat) {
        if (total(seat) > total(best))
            best = seat;
    }
    QList<int> seats{best};
    for (int seat = 1; seat <= game::kSeats; ++seat) {
        if (seat != best && total(seat) == total(best))
            seats << seat;
    }
    return seats;
}
