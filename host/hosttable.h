#pragma once

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

struct TPlayerSlot
{
    QByteArray name;
    bool connected = false;
    bool loggedin = false;    // its login arrived; a slot held without one is closed
    Connection *conn = nullptr;
    int total = 0;            // as last posted
    bool watching = false;
    std::array<Rack, 4> tiles{};    // the seat's copies of racks 1 to 3
    int balls = 4;            // words accepted this frame; 4 = finished or not in play
    std::array<TFrameScore, 11> frames{};
    int letterset = 0;        // the rack being played, 0 when finished
    std::array<QByteArray, 4> words;   // accepted words 1 to 3 of this frame
    QByteArray letterword;    // the word behind the rack last played from
    RelayAllowance chat;      // how many chat lines it may still have relayed
};

struct HostTable
{
    static constexpr int kSeats = 4;
    static constexpr int kHighestSlot = 9;   // slots 5 to 9 are spectators
    static constexpr int kFrames = 10;

    // Slot 10 exists only to turn a tenth connection away.
    std::array<TPlayerSlot, 11> players{};

    bool gamestarted = false;
    int currentframe = 0;     // 1..10 in play, 11 after the last frame
    int timeperturn = 90;
    bool teamgame = false;
    int countdown = 0;

    QByteArray frameword;
    QByteArray bonusword2;
    QByteArray bonusword3;
    std::array<Rack, 4> mastertiles{};   // racks 1 to 3 as dealt, never consumed

    static bool isSeat(int slot) { return slot >= 1 && slot <= kSeats; }
    static bool isSlot(int slot) { return slot >= 1 && slot <= kHighestSlot; }
    bool frameInPlay() const { return currentframe >= 1 && currentframe <= kFrames; }
};
