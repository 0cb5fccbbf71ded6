#pragma once

#include "history/gamerecord.h"
#include "history/statistics.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QString>

#include <optional>

// What the window and the terminal ask of the history. The file is read as
// untrusted: rows with numbers out of range are left out, texts are capped.
namespace history {

// Games newest first, with their seats but without frames. opponent, when
// not empty, keeps the games where another seat's name contains it, in any
// letter case.
QList<GameRecord> gamePage(const QSqlDatabase &db, const QString &opponent, int offset, int limit);
int gameCount(const QSqlDatabase &db, const QString &opponent = QString());
// One game whole; nothing when there is no such game.
std::optional<GameRecord> gameDetail(const QSqlDatabase &db, qint64 id);

inline constexpr int kLongestWords = 10;
Statistics statistics(const QSqlDatabase &db);

// Each plot in words, for a screen reader and beside the plot.
QString totalsSummary(const Statistics &stats);
QString ratesSummary(const Statistics &stats);
QString resultsSummary(const QList<Statistics::Results> &results, const QString &what);
QString bestSummary(const Statistics &stats);

} // namespace history
