#pragma once

#include "host/hosttable.h"

#include <QStringView>

#include <functional>
#include <span>

// Judges the words the seats submit: rebuilds each word from the seat's own
// copy of its rack, checks it against the dictionary and moves the seat
// through its frame. It only changes the table; what to tell whom is in the
// verdict, for the host to send.
class WordJudge
{
public:
    using Lookup = std::function<bool(QStringView word)>;

    enum class Outcome { Ignored, Refused, Accepted };

    struct Verdict
    {
        Outcome outcome = Outcome::Ignored;
        int balls = 0;        // words accepted this frame, after this one
        int letters = 0;      // letters of the accepted word
        int sendRack = 0;     // a fresh bonus rack (2 or 3) the seat is to get
        bool frameOver = false;   // every connected seat has finished the frame
    };

    WordJudge(HostTable &table, Lookup lookup);

    // True when seat may play a word now: a seat in a frame of the game that
    // has not finished that frame.
    bool canPlay(int seat) const;

    // Judges the word spelled by the tile positions (1 to 10, in the order of
    // the word). A word of no tiles, a position off the rack or a tile already
    // used is refused; a refusal restores the tiles this word took.
    Verdict judge(int seat, std::span<const int> positions);

private:
    void restoreRack(TPlayerSlot &seat, int rack) const;
    void advance(TPlayerSlot &seat, int letters, Verdict &verdict) const;
    bool everySeatFinished() const;
    void closeFrame();

    HostTable &m_table;
    Lookup m_lookup;
};
