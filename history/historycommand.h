#pragma once

#include "history/gamerecord.h"

#include <QJsonObject>

#include <cstdio>

// pinlex --history [--last N] [--json]: the recorded games, newest first,
// all of them or the last `last` (0: all). Plain, one line a game; with
// json, one JSON object a game and line, frames and words included. Returns
// the exit status; a failure goes to standard error.
//
// A game in JSON:
//   {"id", "started" (ISO 8601, UTC), "durationSeconds", "table", "team",
//    "secondsPerTurn", "ownSlot" (1-4 a seat, 5-9 watching), "joinedLate",
//    "finished" (false: abandoned), "winners": [seat...],
//    "seats": [{"seat", "name", "computer" (null, "easy", "medium", "hard"),
//               "total", "winner"}],
//    "frames": [{"frame", "rack", "word", "bonusWords" (frame 10 only),
//                "scores": [{"seat", "lengths": [3 letter counts, -1 no
//                            word] or null before a late join, "running"
//                            (-1 not known)}],
//                "words": [{"seat", "word", "accepted"}]}]}
int printHistoryCommand(int last, bool json, std::FILE *out = stdout);

namespace history {

QJsonObject gameToJson(const GameRecord &game);
// "2024-05-01 14:02  12:34  Alice 187, Bob 160  won by Alice".
QString gameLine(const GameRecord &game);

} // namespace history
