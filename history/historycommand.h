#pragma once

#include "history/gamerecord.h"

#include <QJsonObject>

#include <cstdio>

// pinlex --history [--last N] [--json]: the recorded games, newest first,
// all of them or the last `last` (0: all). Plain, one line a game; with
// json, one JSON object a game and line, frames and words included. Returns
// the exit status; a failure goes to standard error.
int printHistoryCommand(int last, bool json, std::FILE *out = stdout);

namespace history {

QJsonObject gameToJson(const GameRecord &game);
// "2024-05-01 14:02  12:34  Alice 187, Bob 160  won by Alice".
QString gameLine(const GameRecord &game);

} // namespace history
