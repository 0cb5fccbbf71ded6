#pragma once

#include "base/gamenumbers.h"
#include "base/strength.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

class GameClient;
class GameEvents;

// Who is in the game, as the host announces it to the client: the four
// seats' names and their watching marks, which of them said they are
// computer players, and the spectators in order of arrival, one entry per
// slot. The host keeps the real roster and enforces every change; this side
// asks through the client and shows. Names are cut as the host cuts them,
// whatever a host sends.
class Roster : public QObject
{
    Q_OBJECT

public:
    static inline const QString kWaiting = QStringLiteral("<Waiting>");

    Roster(GameClient &client, QObject *parent = nullptr);

    QString seatName(int seat) const;   // "<Waiting>" while empty; "" outside 1..4
    bool isSeated(int seat) const { return seatName(seat) != kWaiting && !seatName(seat).isEmpty(); }
    bool isWatching(int seat) const;    // the eye picture beside the seat
    bool ownWatching() const { return m_ownWatching; }   // Options > Just Watch's check
    // The strength a seat's player gave when it introduced itself as a
    // computer player; none for a person (or a player who did not say).
    std::optional<Strength> computerAt(int seat) const;
    struct Spectator
    {
        int slot = 0;
        QString name;
        QString line() const { return QString::number(slot) + QStringLiteral(": ") + name; }
    };
    const QList<Spectator> &spectatorList() const { return m_spectators; }
    QStringList spectators() const;   // "slot: name" lines
    // The other seated players, by name (for the tally).
    QStringList opponents() const;

    // Host announcements.
    void newplayerinfo(int slot, const QByteArray &name);
    void playerdisconnected(int slot, const QByteArray &name);
    void justwatching(int seat, bool watching);
    // A game starts: nobody watches any more.
    void gameStarted();

    // The seat pop-up menu: what it offers for the seat it opens on.
    struct SeatMenu
    {
        bool remove = false;
        bool setWatch = false;
        bool unsetWatch = false;
    };
    SeatMenu label_playername1ContextPopup(int seat);
    int popupseat() const { return m_popupseat; }
    void RemoveFromGame1Click();
    void SettoJustWatch1Click();
    void UnsetJustWatch1Click();
    // Options > Just Watch: asks the host; only its answer moves the check.
    void JustWatch1Click();
    // The spy list's "Remove From Game" on a spectator's slot.
    void kicking(int slot);

signals:
    // A line for the chat: arrivals, departures, watching.
    void notice(const QString &text);
    void seatChanged(int seat);
    // The spectator list changed at one row: a spectator came (added), a
    // slot was announced again (renamed), or one left (removed).
    void spectatorAdded(int row);
    void spectatorRenamed(int row);
    void spectatorRemoved(int row);
    void watchingChanged(int seat, bool watching);
    void ownWatchingChanged(bool watching);
    // The host confirmed the own arrival: time to load the settings.
    void ownArrival();
    // The player in seat introduced itself as a computer player.
    void computerIntroduced(int seat, Strength strength);

private:
    void introduction(int slot, const QByteArray &text);
    void chatterSound(int slot, int wave);
    void watch(int seat, bool on);
    qsizetype spectatorRow(int slot) const;

    GameClient &m_client;
    std::array<QString, game::kSeats + 1> m_names;
    std::array<bool, game::kSeats + 1> m_watching{};
    std::array<std::optional<Strength>, game::kSeats + 1> m_computers{};
    QList<Spectator> m_spectators;
    bool m_ownWatching = false;
    int m_popupseat = 0;
};
