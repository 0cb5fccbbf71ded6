#pragma once

#include "base/gamenumbers.h"
#include "protocol/messages.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <array>

class GameClient;
class RackModel;
class Roster;
class ScoreCardModel;
class TurnClock;

// A game as the player sees it, between its start and its winner: the
// start request, the reset, each frame's opening, the turn clock, the
// host's verdicts on the own words, the end of a frame's time and the
// winner. The host decides everything; this side shows the decisions and
// opens or closes the board.
class GameFlow : public QObject
{
    Q_OBJECT

public:
    static constexpr quint32 kDarkRed = 221;   // 0x0000DD, 00BBGGRR
    static constexpr quint32 kBlack = 0;
    GameFlow(GameClient &client, const Roster &roster, RackModel &rack, ScoreCardModel &score, TurnClock &clock,
             QObject *parent = nullptr);

    // What the window shows besides the board and the card.
    bool teamGame() const { return m_team; }
    QString teamGameText() const { return m_team ? QStringLiteral("Team Game") : QStringLiteral("Good Luck!"); }
    quint32 seatColour(int seat) const { return m_team && (seat == 1 || seat == 3) ? kBlack : kDarkRed; }
    QString timePerTurnText() const { return m_timePerTurnText; }
    bool winnerShown(int seat) const { return game::isSeat(seat) && m_winners[seat]; }
    bool noPlayShown() const { return m_noPlay; }
    bool startShown() const { return m_startShown; }
    bool gameRunning() const { return m_running; }

    // The start picture and File > Start Game: the options dialog, or "You
    // are not connected".
    void button_startClick();
    // The options dialog's start: asks the host to start a game.
    void startGame(int secondsPerTurn, bool team);

    // Handlers of the host's messages.
    void startthegame(const msg::StartGame &start);
    void getnextplayer(const msg::NextPlayer &turn);
    void goodword(const msg::GoodWord &verdict);
    void worderror(int seat);
    void timeisup();
    void winner(const QList<int> &winners);
    void loadstats(const msg::LoadStats &state);
    // Back to the state before a game.
    void clearall();

signals:
    // A line for the chat: a game started, who won.
    void notice(const QString &text);
    // The own word went to the host, as its letters, in the own seat.
    void wordSent(int seat, const QString &word);
    void changed();
    void statusText(const QString &text);
    void startDialogRequested();
    void notConnected();

private:
    void setTurnLimit(int seconds);
    void onClockRanOut();
    void sendword(const QList<int> &tiles);

    GameClient &m_client;
    const Roster &m_roster;
    RackModel &m_rack;
    ScoreCardModel &m_score;
    TurnClock &m_clock;
    bool m_team = false;
    bool m_running = false;
    bool m_noPlay = false;
    bool m_startShown = false;
    std::array<bool, game::kSeats + 1> m_winners{};
    QString m_timePerTurnText = QStringLiteral("Turn Time: 200 s.");
};
