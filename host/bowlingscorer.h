#pragma once

#include "host/hosttable.h"

#include <QByteArray>

#include <array>

// Bowling arithmetic over the player table, one pin per letter: running
// scores with strike and spare bonuses, totals, the score fields the
// clients draw their scorecards from, and the winner.
class BowlingScorer
{
public:
    explicit BowlingScorer(HostTable &table) : m_table(table) {}

    // Recomputes every seat's running scores and total for the current
    // frame and returns the score text of all four seats, each
    // "+" starfield "+" hashfield, in seat order.
    QByteArray scoreAll();
    QByteArray scoreSeat(int seat);

    // The time is up: unplayed words of the current frame count as nothing.
    void timeUp();

    // The winners text: one seat, or several joined by '+'.
    QByteArray winners() const;

    // Running scores of frames 1 to frame, from scratch; -1 where a bonus
    // still waits for later frames.
    static void computeRunning(std::array<TFrameScore, 11> &frames, int frame);
    static int totalOf(const std::array<TFrameScore, 11> &frames, int frame);

    // Frame records of a frame that ended with time left: a seat that played
    // nothing gets zeros.
    static void fillUnplayed(TFrameScore &score, int frame);
    static void fillTimeUp(TFrameScore &score, int frame);

private:
    HostTable &m_table;
};
