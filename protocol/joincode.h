#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>

// The short codes a game directory hands its tables: six symbols from an
// alphabet without look-alikes (no 0/O, 1/I/L, 2/Z, 5/S, 8/B, U/V, 6/G)
// and without vowels, so that no code spells a word. Players type them, so
// what they type is read leniently here, by hosts, players and directories
// alike.
namespace joincode {

inline constexpr int kLength = 6;
inline constexpr char kAlphabet[] = "CDFHJKMNPQRTWXY34679";
inline constexpr int kSymbols = sizeof(kAlphabet) - 1;

// What a player typed, as a code: upper case, blanks and dashes out.
// Empty when it cannot be one.
QByteArray normalised(QByteArrayView typed);
// What a player typed where an address goes names a code, not a computer:
// it reads as one, and holds no dot or colon. No host name is mistaken for
// a code that has a vowel; few have none.
bool isCode(QStringView typed);

} // namespace joincode
