#pragma once

#include "base/gamenumbers.h"
#include "host/relayallowance.h"
#include "words/letterwords.h"

#include <QByteArray>

#include <array>

class Connection;

// The host's whole view of seats and spectators, and of the game in play.
// Fixed-size, living as long as the host: nothing is allocated per game.
// Every table below is indexed from 1 as players and messages number them;
// index 0 is unused.

using letterwords::Rack;

// One frame of one seat: letter counts of its words, -1 = not played or
// not known yet.
struct TFrameScore
{
    int first = -1;
    int second = -1;   // in frame 10 also the first word from a bonus rack
    int third = -1;    // frame 10 only
    int running = -1;  // running score after this frame, -1 while unknown
};

// A seat's frames 1 to 10 (index 0 unused).
using FrameRecords = std::array<TFrameScore, game::kFrames + 1>;

struct TPlayerSlot
{
    // What balls reads once the seat has finished its frame, or is not in it.
    static constexpr int kFinished = 4;

    QByteArray name;
    bool connected = false;
    bool loggedin = false;    // its login arrived; a slot held without one is closed
    Connection *conn = nullptr;
    int total = 0;            // as last posted
    bool watching = false;
    std::array<Rack, game::kRacks + 1> tiles{};    // the seat's copies of racks 1 to 3
    int balls = kFinished;    // words accepted this frame, or kFinished
    FrameRecords frames{};
    int letterset = 0;        // the rack being played, 0 when finished
    std::array<QByteArray, game::kBalls + 1> words;   // accepted words 1 to 3 of this frame
    QByteArray letterword;    // the word behind the rack last played from
    RelayAllowance chat;      // how many chat lines it may still have relayed
};

struct HostTable
{
    // One more than the slots: it exists only to turn a tenth connection away.
    std::array<TPlayerSlot, game::kSlots + 2> players{};

    bool gamestarted = false;
    int currentframe = 0;     // 1..10 in play, 11 after the last frame
    int timeperturn = game::kFallbackTurnSeconds;
    bool teamgame = false;
    int countdown = 0;

    QByteArray frameword;
    QByteArray bonusword2;
    QByteArray bonusword3;
    std::array<Rack, game::kRacks + 1> mastertiles{};   // racks 1 to 3 as dealt, never consumed

    bool frameInPlay() const { return game::isFrame(currentframe); }
};
