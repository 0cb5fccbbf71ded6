#pragma once

#include <QPixmap>
#include <QString>

// Pictures of the main window, painted rather than loaded, so that the
// program carries no image files and every picture keeps its exact size.
// One palette throughout: maple wood, cream, deep red and navy. Sizes are
// in pixels; each picture is painted at ratio device pixels per pixel, the
// screen's device pixel ratio, so that it is sharp there.
namespace artwork {

QPixmap scorecardCard(qreal ratio = 1);                         // the printed card, 554 x 205
QPixmap commandButton(const QString &caption, qreal ratio = 1); // start / clear / send, 104 x 23
QPixmap sortButton(qreal ratio = 1);                            // 32 x 32
QPixmap timerFrame(qreal ratio = 1);                            // 107 x 44
QPixmap timerBar(qreal ratio = 1);                              // 97 x 34, stretched to the time left
QPixmap logo(qreal ratio = 1);                                  // 58 x 24
QPixmap noPlayBanner(qreal ratio = 1);                          // 238 x 41
QPixmap badWordPanel(qreal ratio = 1);                          // 240 x 57, without its OK picture
QPixmap okPicture(qreal ratio = 1);                             // the OK picture on the panel, 40 x 18
QPixmap eyes(qreal ratio = 1);                                  // 25 x 9
QPixmap winnerBanner(qreal ratio = 1);                          // 94 x 16
// The dialogs' background; ratio 0 stands for the finest screen's.
QPixmap formBackground(const QSize &size, qreal ratio = 0);

// The scorecard's marks, 15 pictures of 9 x 13: the digits 0 .. 9, "-",
// "/", "X" on clear ground, then an empty white and an empty grey box.
// Pictures outside 0 .. 14 give an empty picture.
inline constexpr int kLittleCount = 15;
const QPixmap &littlePicture(int index, qreal ratio = 1);

} // namespace artwork
