#pragma once

#include "history/gamerecord.h"

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

// The player's own figures over the games it played in a seat.
struct Statistics
{
    struct GameTotal
    {
        QDateTime started;
        int total = 0;
        double average = 0;   // of this and every earlier game
    };
    struct MonthRates
    {
        QDate month;          // its first day
        int frames = 0;
        int strikes = 0;
        int spares = 0;
    };
    struct Results
    {
        QString against;      // an opponent's name or a computer strength
        int games = 0;
        int wins = 0;         // the player won and they did not
        int losses = 0;       // they won and the player did not
    };
    struct Word
    {
        QString word;
        QDateTime played;
    };

    QList<GameTotal> totals;        // finished games, oldest first
    QList<MonthRates> months;       // oldest first
    QList<Results> opponents;       // most games first
    QList<Results> strengths;       // "easy", "medium", "hard" as met
    std::optional<GameTotal> best;
    qint64 bestGame = 0;
    QList<Word> longestWords;       // longest first, each word once
};

inline constexpr int kLongestWords = 10;
Statistics statistics(const QSqlDatabase &db);

// Each plot in words, for a screen reader and beside the plot.
QString totalsSummary(const Statistics &stats);
QString ratesSummary(const Statistics &stats);
QString resultsSummary(const QList<Statistics::Results> &results, const QString &what);
QString bestSummary(const Statistics &stats);

} // namespace history
