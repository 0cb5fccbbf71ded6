#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

namespace history {

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
        int games = 0;        // each game once, however many of them sat in it
        int wins = 0;         // the player won and none of them did
        int losses = 0;       // one of them won and the player did not
        int ties = 0;         // the player and one of them both won, on equal totals
        // The rest of the games someone else won.
        int othersWon() const { return games - wins - losses - ties; }
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

} // namespace history
