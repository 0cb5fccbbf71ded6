#pragma once

#include <QtGlobal>

// The program-wide pseudo-random generator that the draw, the shuffle of a
// rack and the board's shuffle share: a 32-bit linear congruential sequence,
// seed = seed * 134775813 + 1 (mod 2^32); random(n) is the upper 32 bits of
// the 64-bit product of the new seed and n.
class Random
{
public:
    static quint32 seed();
    static void setSeed(quint32 seed);
    // 0 .. n-1 (0 when n is 0 or less).
    static int random(int n);
    // seed = ((hour * 60 + minute) * 60 + second) * 1000 + ms of UTC time.
    static void randomizeFromClock();
};
