#pragma once

#include "base/strength.h"

#include <QObject>
#include <QList>
#include <QPointer>

#include <functional>
#include <optional>
#include <vector>

class GameClient;
class Robot;
class Roster;
class QTimer;

// The computer players the hosting player asked for: robots that take free
// seats of this copy's own game over the real protocol, like anybody. They
// leave when the program ends, or when the hosting player removes them.
class RobotTable : public QObject
{
    Q_OBJECT

public:
    static constexpr int kMaxRobots = 3;
    // How long the table waits for new robots to sit down before the game
    // starts without the late ones.
    static constexpr int kSeatingTimeoutMs = 5000;

    RobotTable(const GameClient &client, const Roster &roster, QObject *parent = nullptr);
    ~RobotTable() override;

    // Makes the table hold count computer players of this strength, as far
    // as free seats allow: others leave, new ones join. Calls ready once
    // every newcomer has sat down (or given up).
    void arrange(int count, Strength strength, std::function<void()> ready);
    void setChatter(bool on);
    int count() const;
    // Whether seats 2 to 4 will all be taken once this many computer
    // players sit down beside the people seated now.
    bool teamsWouldBeEven(int computerPlayers) const;
    // The strength of the computer player of this table in seat, if one
    // sits there.
    std::optional<Strength> strengthAt(int seat) const;

signals:
    // A computer player sat down or left.
    void seatsChanged();

private:
    // Seats the newcomers once the robots sent away have left their seats.
    void seatNewcomers();
    void join(Strength strength);
    void settle();

    const GameClient &m_client;
    const Roster &m_roster;
    std::vector<QPointer<Robot>> m_robots;
    int m_pending = 0;
    int m_wanted = 0;                 // robots to have once those leaving are gone
    Strength m_strength = Strength::Medium;
    QList<int> m_leavingSeats;        // seats still held by robots sent away
    bool m_chatter = true;
    std::function<void()> m_ready;
    QTimer *m_timeout = nullptr;
};
