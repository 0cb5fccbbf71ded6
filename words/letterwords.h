#pragma once

#include "base/gamenumbers.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>

#include <array>
#include <span>

// The ten-letter words the host deals as racks, and the shuffle of a word
// onto the ten rack positions.
namespace letterwords {

// Identifiers above the last word give the empty text, so the draw range
// keeps this many empty identifiers after the words.
inline constexpr int kEmptyIdentifiers = 116;

int count();
// The word with identifier id (0 .. count()-1), or the empty text.
QString GetString(int id);
// Draws identifiers from count() + kEmptyIdentifiers with the program's
// generator until one names a ten-letter word (empty text when the program
// carries no words at all).
QString draw();

// A rack: positions 1 to 10 (index 0 unused), each one lower-case letter;
// 0 is a used-up tile, '*' a tile taken by the word being checked.
using Rack = std::array<char, game::kTiles + 1>;

// Empties master, then puts letter i of word (i = 1 .. 10) on a free
// position chosen by the generator, in master and in every seat's copy.
// Returns the position each letter went to, in the word's letter order.
QList<int> shuffleOntoRack(QStringView word, Rack &master, std::span<Rack *const> seats);

} // namespace letterwords
