#pragma once

#include <QPixmap>
#include <QString>

// The picture strip of the board, 38 pictures of 41 x 41:
//   0        blank tile
//   1 .. 26  the letters A .. Z on a tile
//   27       grey slot with a knocked-down pin (a slot the word may not use)
//   28 .. 37 grey slot with pin 1 .. 10 standing: empty word slot k is 27 + k
namespace tileimages {

inline constexpr int kCount = 38;
inline constexpr int kKnockedDown = 27;
inline constexpr int kSize = 41;

// The picture at ratio device pixels per pixel (the screen's device pixel
// ratio); pictures outside 0 .. 37 give an empty picture.
const QPixmap &picture(int index, qreal ratio = 1);
// "a" gives 1 ... "z" gives 26; anything else 0.
int numofletter(QChar letter);
// What a picture shows, for a screen reader: "K", "pin 3", "knocked-down pin".
QString describe(int index);

} // namespace tileimages
