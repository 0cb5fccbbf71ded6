#pragma once

#include <QtGlobal>

// The game's numbers, declared once. Seats, slots, tiles and frames are
// numbered from 1, as the players and the messages number them.
namespace game {

inline constexpr int kSeats = 4;                      // slots 1 to 4 play
inline constexpr int kSpectators = 5;                 // slots 5 to 9 watch
inline constexpr int kSlots = kSeats + kSpectators;
inline constexpr int kTiles = 10;                     // a rack, and a strike's word
inline constexpr int kFrames = 10;
inline constexpr int kBalls = 3;                      // words a frame can hold (the tenth)
inline constexpr int kRacks = 3;                      // the frame's rack and two bonus racks
inline constexpr int kPerfectGame = 300;
inline constexpr int kChatterSounds = 20;

// What a host keeps of a name; longer names are cut.
inline constexpr int kMaxName = 24;

inline constexpr quint16 kDefaultPort = 7772;

// Time per turn: what the game options offer, their start value, and what
// a start request whose time is not a number gets.
inline constexpr int kMinTurnSeconds = 45;
inline constexpr int kMaxTurnSeconds = 120;
inline constexpr int kDefaultTurnSeconds = 60;
inline constexpr int kFallbackTurnSeconds = 90;

// Seconds between frames the hosting player may choose, and the start value.
inline constexpr int kPauseChoices[] = {5, 10, 15};
inline constexpr int kDefaultPause = 10;

constexpr bool isSeat(int slot) { return slot >= 1 && slot <= kSeats; }
constexpr bool isSlot(int slot) { return slot >= 1 && slot <= kSlots; }
constexpr bool isSpectatorSlot(int slot) { return slot > kSeats && slot <= kSlots; }
constexpr bool isTile(int position) { return position >= 1 && position <= kTiles; }
constexpr bool isFrame(int frame) { return frame >= 1 && frame <= kFrames; }
constexpr bool isPause(int seconds)
{
    for (const int choice : kPauseChoices) {
        if (choice == seconds)
            return true;
    }
    return false;
}

} // namespace game
