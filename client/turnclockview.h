#pragma once

#include <QtGlobal>

class TurnClock;

// The turn clock as the board draws it: the bar's pixels and the text's
// colour for what the clock shows.
namespace turnclockview {

// The bar's width when full (image_timer's own).
inline constexpr int kBarWidth = 97;
inline constexpr quint32 kPaleYellow = 10347488;   // 0x9DE3E0, 00BBGGRR
inline constexpr quint32 kRed = 255;

// Pixels of bar per second left in a turn of limit seconds: the bar is
// held full until it fits.
int barstep(int limit);
int barWidth(const TurnClock &clock);
quint32 textColour(const TurnClock &clock);

} // namespace turnclockview
