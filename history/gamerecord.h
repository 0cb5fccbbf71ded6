#pragma once

#include "base/gamenumbers.h"
#include "base/strength.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <array>
#include <optional>

// A game as one copy saw it, in plain values: the recorder fills them from
// the game's events, the store writes and reads them, the window and the
// terminal show them. Seats and frames are numbered from 1 as the game
// numbers them.
namespace history {

using game::isFrame;
using game::isSeat;
using game::kBalls;
using game::kFrames;
using game::kSeats;
inline constexpr int kHighestSlot = game::kSlots;
inline constexpr int kRackLetters = game::kTiles;
inline constexpr int kBestScore = game::kPerfectGame;
// Caps on what a peer or a file may make us keep.
inline constexpr int kMaxNameLength = 64;
inline constexpr int kMaxWordLength = 32;
inline constexpr int kMaxWordsPerSeat = 64;  // own refused words in one frame

struct SeatRecord
{
    int seat = 0;
    QString name;
    std::optional<Strength> computer;   // set for a computer player
    int total = 0;                      // as last posted
    bool winner = false;

    bool operator==(const SeatRecord &) const = default;
};

struct WordRecord
{
    int seat = 0;
    QString word;
    bool accepted = false;

    bool operator==(const WordRecord &) const = default;
};

// One seat's posted result in one frame. lengths are the letters of its
// first, second and third word (-1 where none was played); running is its
// total after this frame, -1 while not known. A frame before a late join
// has a running total only: played is false there.
struct SeatFrame
{
    int seat = 0;
    bool played = true;
    std::array<int, kBalls> lengths{-1, -1, -1};
    int running = -1;

    bool operator==(const SeatFrame &) const = default;
};

struct FrameRecord
{
    int frame = 0;
    QString rack;          // the letters as dealt, rack position 1 to 10
    QString word;          // the frame's ten-letter word
    QString bonusWord2;    // frame 10: the words of the two fresh racks
    QString bonusWord3;
    QList<SeatFrame> seats;
    QList<WordRecord> words;   // in the order played

    bool operator==(const FrameRecord &) const = default;
};

struct GameRecord
{
    qint64 id = 0;         // the store's number, 0 before it is written
    QString key;           // unique, given by the recorder
    QDateTime started;     // UTC
    int durationSeconds = 0;
    QString table;
    bool team = false;
    int secondsPerTurn = 0;
    int ownSlot = 0;       // 1..4 a seat, 5..9 watching
    bool joinedLate = false;
    bool finished = false; // false: abandoned, or still in play
    QList<SeatRecord> seats;
    QList<FrameRecord> frames;   // ascending; empty in a list of games

    bool operator==(const GameRecord &) const = default;

    bool watched() const { return !isSeat(ownSlot); }
    const SeatRecord *seat(int number) const;
    QList<int> winners() const;
    // "Alice", or "Alice, Bob" when several won; empty when unfinished.
    QString winnerNames() const;
    // "Alice 187, Robot (Hard) 160".
    QString playersWithTotals() const;
};

// What a seat's computer strength is called in the record ("easy" ...).
QString strengthKey(Strength strength);

// Keeps the letters a-z of a word as sent, at most kMaxWordLength.
QString wordOf(QStringView text);
// A name cut to kMaxNameLength.
QString nameOf(QStringView text);

} // namespace history
