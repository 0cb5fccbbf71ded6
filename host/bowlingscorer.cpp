#include "host/bowlingscorer.h"

namespace {

// -1 (not played) counts as nothing.
int pins(int count)
{
    return count < 0 ? 0 : count;
}

} // namespace

void BowlingScorer::computeRunning(std::array<TFrameScore, 11> &frames, int frame)
{
    // Only frames already played can pay a bonus.
    const auto known = [&](int i, int TFrameScore::*count) { return i <= frame && frames[i].*count != -1; };
    for (int i = 1; i <= frame && i <= HostTable::kFrames; ++i) {
        TFrameScore &f = frames[i];
        const int before = i == 1 ? 0 : frames[i - 1].running;
        // A frame before it still waits for its bonus, and so does this one.
        if (before < 0) {
            f.running = -1;
            continue;
        }
        int running = before + pins(f.first) + pins(f.second);
        if (i == HostTable::kFrames) {
            // The bonus racks are already in frame 10's own three counts.
            f.running = running + pins(f.third);
            continue;
        }
        if (f.first == 10) {
            if (known(i + 1, &TFrameScore::first) && known(i + 1, &TFrameScore::second))
                running += frames[i + 1].first + frames[i + 1].second;
            else if (known(i + 1, &TFrameScore::first) && frames[i + 1].first == 10
                     && known(i + 2, &TFrameScore::first))
                running += 10 + frames[i + 2].first;
            else
                running = -1;
        } else if (f.first + f.second == 10) {
            running = known(i + 1, &TFrameScore::first) ? running + frames[i + 1].first : -1;
        }
        f.running = running;
    }
}

int BowlingScorer::totalOf(const std::array<TFrameScore, 11> &frames, int frame)
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

QByteArray BowlingScorer::scoreSeat(int seat)
{
    TPlayerSlot &player = m_table.players[seat];
    const int frame = m_table.currentframe;
    if (frame < 1 || frame > HostTable::kFrames)
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

    QByteArray text = "+" + QByteArray::number(seat);
    for (const int value : {player.total, current.first, current.second, current.third})
        text += '*' + QByteArray::number(value);
    for (int w = 1; w <= 3; ++w)
        text += '*' + player.words[w];
    text += '+' + QByteArray::number(seat);
    for (int k = 1; k <= HostTable::kFrames; ++k)
        text += '#' + QByteArray::number(k) + '#' + QByteArray::number(k <= frame ? player.frames[k].running : -1);
    return text;
}

QByteArray BowlingScorer::scoreAll()
{
    QByteArray text;
    for (int seat = 1; seat <= HostTable::kSeats; ++seat)
        text += scoreSeat(seat);
    return text;
}

void BowlingScorer::fillUnplayed(TFrameScore &score, int frame)
{
    if (score.first != -1)
        return;
    score.first = 0;
    score.second = 0;
    if (frame == HostTable::kFrames)
        score.third = 0;
}

void BowlingScorer::fillTimeUp(TFrameScore &score, int frame)
{
    if (frame == HostTable::kFrames) {
        for (int *count : {&score.first, &score.second, &score.third}) {
            if (*count == -1)
                *count = 0;
        }
        return;
    }
    if (score.first == -1)
        score.first = 0;
    // A strike keeps its second word unplayed.
    if (score.second == -1 && score.first != 10)
        score.second = 0;
}

void BowlingScorer::timeUp()
{
    if (!m_table.frameInPlay())
        return;
    for (int seat = 1; seat <= HostTable::kSeats; ++seat)
        fillTimeUp(m_table.players[seat].frames[m_table.currentframe], m_table.currentframe);
}

QByteArray BowlingScorer::winners() const
{
    const auto total = [this](int seat) { return m_table.players[seat].total; };
    if (m_table.teamgame) {
        const int a = total(1) + total(3);
        const int b = total(2) + total(4);
        return a > b ? "1+3" : b > a ? "2+4" : "1+3+2+4";
    }
    int best = 1;
    for (int seat = 2; seat <= HostTable::kSeats; ++seat) {
        if (total(seat) > total(best))
            best = seat;
    }
    QByteArray text = QByteArray::number(best);
    for (int seat = 1; seat <= HostTable::kSeats; ++seat) {
        if (seat != best && total(seat) == total(best))
            text += '+' + QByteArray::number(seat);
    }
    return text;
}
