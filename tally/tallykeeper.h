#pragma once

#include "base/gamenumbers.h"
#include "tally/tallyfile.h"
#include "tally/tallytable.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

class GameClient;
class Roster;

// The player's tally: the table, its file and when the file is written.
// It follows the games this copy plays in a seat, as the host tells them,
// and records each: the own strikes as they fall, then at the end the game
// with its winner, the own final score and the other seated players. The
// file is read when first needed; it is written after every recorded game,
// after every change of who is tallied, and at the end once it was read.
class TallyKeeper : public QObject
{
    Q_OBJECT

public:
    explicit TallyKeeper(QString fileName = TallyFile::defaultPath(), QObject *parent = nullptr);
    ~TallyKeeper() override;

    // Follows the games of the client's copy from its events and roster.
    void follow(const GameClient &client, const Roster &roster);

    const TallyTable &table() { return loaded(); }

    // Adds 1 to an own total; written with the next save.
    void addtomineincrease(int column);
    // The end of a game for a seated player, as one step, then a save:
    // ownScore is the text of the player's score; winner is the seat that
    // won alone (the player, or an opponent by name) and std::nullopt when
    // several seats won, which records no game; opponents are the other
    // seated players' names. A figure that is not a number stops the count
    // there and goes to the error display.
    void gameEnded(const QString &ownScore, const std::optional<TallyWinner> &winner,
                   const QStringList &opponents);

    // Who is tallied; each change is written at once.
    bool addOpponent(const QString &name);
    void removeOpponent(int row);
    // Own totals emptied, every opponent removed.
    void reset();
    bool save();

signals:
    // A figure changed.
    void changed();
    // A game is being counted against the players at the table.
    void gameCounted(const QStringList &opponents);

private:
    TallyTable &loaded();
    void won(const QList<int> &seats);

    TallyFile m_file;
    TallyTable m_table;
    bool m_loaded = false;
    const GameClient *m_client = nullptr;
    const Roster *m_roster = nullptr;
    // Every seat's score as last shown, for the own one at the end.
    std::array<QString, game::kSeats + 1> m_scores;
};
