#pragma once

#include "history/gamerecord.h"

class QWidget;
class ScoreCardModel;

namespace history {

// Puts a recorded game on the game's own scorecard: every frame's marks and
// running totals, and each seat's total as its score text.
void fillScoreCard(ScoreCardModel &card, const GameRecord &game);

// The printed card with the scorecard's paint box over it and each seat's
// name and total beside it, as the main window shows them; the model fills
// the paint box. Owned by parent.
QWidget *makeScoreCardPanel(ScoreCardModel *card, QWidget *parent);
// Shows the game's seat names and totals on a panel made above.
void showSeats(QWidget *panel, const GameRecord &game);

} // namespace history
