#include "robots/robottable.h"

#include "client/gameclient.h"
#include "client/roster.h"
#include "robots/robot.h"

#include <QTimer>

RobotTable::RobotTable(const GameClient &client, const Roster &roster, QObject *parent)
    : QObject(parent), m_client(client), m_roster(roster)
{
    m_timeout = new QTimer(this);
    m_timeout->setSingleShot(true);
    m_timeout->setInterval(kSeatingTimeoutMs);
    connect(m_timeout, &QTimer::timeout, this, [this] {
        // Whoever is not seated by now misses this game.
        disconnect(&m_roster, &Roster::seatChanged, this, &RobotTable::seatNewcomers);
        m_leavingSeats.clear();
        m_wanted = 0;
        m_pending = 0;
        settle();
    });
}

RobotTable::~RobotTable()
{
    // They leave with the program; nobody waits for them to say so.
    for (const QPointer<Robot> &robot : m_robots)
        delete robot.data();
}

int RobotTable::count() const
{
    return int(std::count_if(m_robots.begin(), m_robots.end(), [](const QPointer<Robot> &robot) { return robot; }));
}

bool RobotTable::teamsWouldBeEven(int computerPlayers) const
{
    // Robots already seated may be sent away or replaced; people stay.
    int people = 0;
    for (int seat = 2; seat <= game::kSeats; ++seat) {
        const bool robot = std::any_of(m_robots.begin(), m_robots.end(), [seat](const QPointer<Robot> &r) {
            return r && r->slot() == seat;
        });
        people += m_roster.isSeated(seat) && !robot ? 1 : 0;
    }
    return people + qBound(0, computerPlayers, kMaxRobots) >= game::kSeats - 1;
}

std::optional<Strength> RobotTable::strengthAt(int seat) const
{
    // One sent away keeps its slot until it is gone; the seat may be another's by then.
    for (const QPointer<Robot> &robot : m_robots) {
        if (robot && robot->isSeated() && robot->slot() == seat && m_roster.seatName(seat) == robot->name())
            return robot->strength();
    }
    return std::nullopt;
}

void RobotTable::setChatter(bool on)
{
    m_chatter = on;
    for (const QPointer<Robot> &robot : m_robots) {
        if (robot)
            robot->setChatter(on);
    }
}

void RobotTable::arrange(int count, Strength strength, std::function<void()> ready)
{
    m_ready = std::move(ready);
    m_strength = strength;
    count = qBound(0, count, kMaxRobots);
    std::erase_if(m_robots, [](const QPointer<Robot> &robot) { return robot.isNull(); });
    int kept = 0;
    m_leavingSeats.clear();
    for (const QPointer<Robot> &robot : m_robots) {
        if (robot->strength() == strength && kept < count) {
            ++kept;
            continue;
        }
        if (robot->isSeated())
            m_leavingSeats << robot->slot();
        robot->leave();
    }
    m_wanted = count - kept;
    m_timeout->start();
    seatNewcomers();
}

void RobotTable::seatNewcomers()
{
    // A newcomer that came before the seat it should take was given up would
    // only be a spectator.
    m_leavingSeats.removeIf([this](int seat) { return !m_roster.isSeated(seat); });
    if (!m_leavingSeats.isEmpty()) {
        connect(&m_roster, &Roster::seatChanged, this, &RobotTable::seatNewcomers, Qt::UniqueConnection);
        return;
    }
    disconnect(&m_roster, &Roster::seatChanged, this, &RobotTable::seatNewcomers);
    int freeSeats = 0;
    for (int seat = 1; seat <= game::kSeats; ++seat)
        freeSeats += m_roster.isSeated(seat) ? 0 : 1;
    const int joining = std::min(std::exchange(m_wanted, 0), freeSeats);
    m_pending = joining;
    for (int n = 0; n < joining; ++n)
        join(m_strength);
    settle();
}

void RobotTable::join(Strength strength)
{
    // A name nobody at the table has, nor a robot on its way to it.
    QStringList taken;
    for (int slot = 1; slot <= game::kSlots; ++slot)
        taken << (game::isSeat(slot) ? m_roster.seatName(slot) : QString());
    for (const Roster::Spectator &spectator : m_roster.spectatorList())
        taken << spectator.name;
    for (const QPointer<Robot> &robot : m_robots) {
        if (robot)
            taken << robot->name();
    }
    auto *robot = new Robot(strength, tableRobotName(taken), this);
    robot->setIntroduction(true);
    robot->setChatter(m_chatter);
    m_robots.emplace_back(robot);
    const auto seated = [this, robot](bool stays) {
        if (!stays)
            robot->leave();
        if (m_pending > 0 && --m_pending == 0)
            settle();
    };
    connect(robot, &Robot::loggedIn, this, [this, robot, seated](int) {
        seated(robot->isSeated());
        emit seatsChanged();
    });
    connect(robot, &Robot::connectFailed, this, [seated](const QString &) { seated(false); });
    connect(robot, &Robot::left, this, [this, robot] {
        robot->deleteLater();
        emit seatsChanged();
    });
    robot->connectTo(QStringLiteral("127.0.0.1"), m_client.port());
}

void RobotTable::settle()
{
    if (m_pending > 0 || !m_leavingSeats.isEmpty() || !m_ready)
        return;
    m_timeout->stop();
    std::exchange(m_ready, nullptr)();
}
