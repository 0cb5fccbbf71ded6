#pragma once

#include "protocol/messages.h"

#include <QByteArray>
#include <QList>
#include <QObject>

// The game as this copy hears it from the host: every message read once and
// told as one typed event, to whoever follows the game (the connection's
// own login, the roster, the game flow, the board, the chat, the tally, a
// recorder). Followers connect to the events they need; none of them reads
// message text. Events come in the order the host sent them.
class GameEvents : public QObject
{
    Q_OBJECT

public:
    explicit GameEvents(QObject *parent = nullptr);

    // A message line from the host, without its terminator.
    void received(const QByteArray &line);

signals:
    // The connection's own arrival: the host offers a slot, or has none.
    void slotOffered(int slot);
    void full();
    // Versions differ: another player's (told to the hosting player), or ours.
    void otherVersion(const QByteArray &name);
    void ownVersionDiffers();

    // The roster. A player arrived (or was present when we came), left, or
    // switched between watching and playing.
    void seated(int slot, const QByteArray &name);
    void left(int slot, const QByteArray &name);
    void watching(int seat, bool watching);

    // Chat lines and actions alike: the speaker's slot (0 for the host),
    // the line as shown, and its colour text.
    void chatLine(int slot, const QByteArray &text, const QByteArray &colour);
    void chatterSound(int slot, int wave);

    // The game's course.
    void gameStarted(const msg::StartGame &start);
    // Came in while a game runs: its state.
    void gameJoined(const msg::LoadStats &state);
    void rackDealt(const msg::TheLetters &rack);
    void turnBegan(const msg::NextPlayer &turn);
    void wordAccepted(const msg::GoodWord &verdict);
    void wordRefused(int seat);
    void timeUp();
    void frameScored(const msg::PostScores &scores);
    void gameWon(const QList<int> &seats);
};
