#pragma once

#include <QPixmap>
#include <QString>

// Pictures of the main window, painted rather than loaded, so that the
// program carries no image files and every picture keeps its exact size.
// One palette throughout: maple wood, cream, deep red and navy.
namespace artwork {

QPixmap scorecardCard();                    // the printed card, 554 x 205
QPixmap commandButton(const QString &caption); // start / clear / send, 104 x 23
QPixmap sortButton();                       // 32 x 32
QPixmap timerFrame();                       // 107 x 44
QPixmap timerBar();                         // 97 x 34, stretched to the time left
QPixmap logo();                             // 58 x 24
QPixmap noPlayBanner();                     // 238 x 41
QPixmap badWordPanel();                     // 240 x 57, without its OK picture
QPixmap okPicture();                        // the OK picture on the panel, 40 x 18
QPixmap eyes();                             // 25 x 9
QPixmap winnerBanner();                     // 94 x 16
QPixmap formBackground(const QSize &size);  // the dialogs' background

// The scorecard's marks, 15 pictures of 9 x 13: the digits 0 .. 9, "-",
// "/", "X" on clear ground, then an empty white and an empty grey box.
// Pictures outside 0 .. 14 give an empty picture.
inline constexpr int kLittleCount = 15;
const QPixmap &littlePicture(int index);

} // namespace artwork
