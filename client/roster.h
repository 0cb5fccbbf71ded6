#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <array>

class GameClient;

// Who is in the game, as the host announces it: the four seats' names and
// their watching marks, and the spectators in order of arrival. The host
// keeps the real roster and enforces every change; this side asks and
// shows. Every number a peer sends is range-checked before it indexes
// anything.
class Roster : public QObject
{
    Q_OBJECT

public:
    static constexpr int kSeats = 4;
    static inline const QString kWaiting = QStringLiteral("<Waiting>");

    Roster(GameClient &client, QObject *parent = nullptr);

    QString seatName(int seat) const;   // "<Waiting>" while empty; "" outside 1..4
    bool isSeated(int seat) const { return seatName(seat) != kWaiting && !seatName(seat).isEmpty(); }
    bool isWatching(int seat) const;    // the eye picture beside the seat
    bool ownWatching() const { return m_ownWatching; }   // Options > Just Watch's check
    const QStringList &spectators() const { return m_spectators; }   // "slot: name" lines
    // The other seated players, by name (for the tally).
    QStringList opponents() const;

    // Host announcements.
    void newplayerinfo(const QByteArray &payload);
    void playerdisconnected(const QByteArray &payload);
    void justwatching(const QByteArray &payload);
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
    // The spy list's "Remove From Game" on a line of the list.
    void popup_kickhimClick(const QString &line);
    void kicking(int slot);

signals:
    void seatChanged(int seat);
    void spectatorsChanged();
    void watchingChanged(int seat, bool watching);
    void ownWatchingChanged(bool watching);
    // The host confirmed the own arrival: time to load the settings.
    void ownArrival();

private:
    void watch(int seat, int request);

    GameClient &m_client;
    std::array<QString, kSeats + 1> m_names;
    std::array<bool, kSeats + 1> m_watching{};
    QStringList m_spectators;
    bool m_ownWatching = false;
    int m_popupseat = 0;
};
