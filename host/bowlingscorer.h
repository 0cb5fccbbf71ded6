#pragma once

#include "host/hosttable.h"
#include "protocol/messages.h"

#include <QList>

#include <array>

// Bowling arithmetic over the player table, one pin per letter: running
// scores with strike and spare bonuses, totals, the score fields the
// clients draw their scorecards from, and the winner.
class BowlingScorer
{
public:
    explicit BowlingScorer(HostTable &table) : m_table(table) {}

    // Recomputes every seat's running scores and total for the current
    // frame and returns all four seats' results, in seat order.
    QList<msg::SeatScore> scoreAll();
    msg::SeatScore scoreSeat(int seat);

    // The time is up: unplayed words of the current frame count as nothing.
    void timeUp();

    // The winners: the best seat and the seats tied with it, or a team
    // (seats 1 and 3, 2 and 4; all four on a tie).
    QList<int> winners() const;

    // Running scores of frames 1 to frame, from scratch; -1 where a bonus
    // still waits for later frames.
    static void computeRunning(FrameRecords &frames, int frame);
    static int totalOf(const FrameRecords &frames, int frame);

    // Frame records of a frame that ended with time left: a seat that played
    // nothing gets zeros.
    static void fillUnplayed(TFrameScore &score, int frame);
    static void fillTimeUp(TFrameScore &score, int frame);

private:
    HostTable &m_table;
};
