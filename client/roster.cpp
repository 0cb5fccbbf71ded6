#include "client/roster.h"

#include "client/gameclient.h"
#include "client/gameevents.h"
#include "protocol/introduction.h"
#include "sound/soundtable.h"

namespace {

QString nameOf(const QByteArray &name)
{
    return QString::fromLatin1(name.left(game::kMaxName));
}

} // namespace

Roster::Roster(GameClient &client, QObject *parent) : QObject(parent), m_client(client)
{
    m_names.fill(kWaiting);
    const GameEvents *events = client.events();
    connect(events, &GameEvents::seated, this, &Roster::newplayerinfo);
    connect(events, &GameEvents::left, this, &Roster::playerdisconnected);
    connect(events, &GameEvents::watching, this, &Roster::justwatching);
    connect(events, &GameEvents::gameStarted, this, &Roster::gameStarted);
    connect(events, &GameEvents::chatLine, this, &Roster::introduction);
    connect(events, &GameEvents::chatterSound, this, &Roster::chatterSound);
}

QString Roster::seatName(int seat) const
{
    return game::isSeat(seat) ? m_names[seat] : QString();
}

bool Roster::isWatching(int seat) const
{
    return game::isSeat(seat) && m_watching[seat];
}

std::optional<Strength> Roster::computerAt(int seat) const
{
    return game::isSeat(seat) ? m_computers[seat] : std::nullopt;
}

void Roster::introduction(int slot, const QByteArray &text)
{
    if (!game::isSeat(slot))
        return;
    const std::optional<Strength> strength = msg::introducedStrength(text, m_names[slot].toLatin1());
    if (!strength)
        return;
    m_computers[slot] = strength;
    emit computerIntroduced(slot, *strength);
}

// A chatter sound the player does not hear is named in the chat.
void Roster::chatterSound(int slot, int wave)
{
    if (m_client.options().chatterSounds || !game::isSeat(slot))
        return;
    emit notice(seatName(slot) + QStringLiteral(": <Chatter Sound> ") + sounds::chatterCaption(wave));
}

QStringList Roster::opponents() const
{
    QStringList names;
    for (int seat = 1; seat <= game::kSeats; ++seat) {
        if (seat != m_client.myseat() && isSeated(seat))
            names << m_names[seat];
    }
    return names;
}

QStringList Roster::spectators() const
{
    QStringList lines;
    for (const Spectator &spectator : m_spectators)
        lines << spectator.line();
    return lines;
}

qsizetype Roster::spectatorRow(int slot) const
{
    for (qsizetype row = 0; row < m_spectators.size(); ++row) {
        if (m_spectators[row].slot == slot)
            return row;
    }
    return -1;
}

void Roster::newplayerinfo(int slot, const QByteArray &payloadName)
{
    const QString name = nameOf(payloadName);
    if (slot == m_client.myseat()) {
        emit notice(QStringLiteral("You are Connected."));
        emit ownArrival();
    } else {
        emit notice(name + QStringLiteral(" is Connected."));
    }
    if (game::isSeat(slot)) {
        m_names[slot] = name;
        m_computers[slot].reset();
        emit seatChanged(slot);
    } else {
        // A slot announced again (a new login on it) keeps its one entry.
        const qsizetype row = spectatorRow(slot);
        if (row >= 0) {
            m_spectators[row].name = name;
            emit spectatorRenamed(int(row));
        } else {
            m_spectators << Spectator{slot, name};
            emit spectatorAdded(int(m_spectators.size() - 1));
        }
        emit notice(slot == m_client.myseat() ? QStringLiteral("You are spying.")
                                              : name + QStringLiteral(" is spying."));
    }
    m_client.playsounds(QStringLiteral("entered"));
}

void Roster::playerdisconnected(int slot, const QByteArray &)
{
    if (game::isSeat(slot))
        m_computers[slot].reset();
    // The own departure comes only with a removal; the window tells it.
    if (slot == m_client.myseat())
        return;
    if (game::isSeat(slot)) {
        if (m_names[slot] != kWaiting)
            emit notice(m_names[slot] + QStringLiteral(" disconnected."));
        m_names[slot] = kWaiting;
        emit seatChanged(slot);
        if (std::exchange(m_watching[slot], false))
            emit watchingChanged(slot, false);
        return;
    }
    const qsizetype row = spectatorRow(slot);
    if (row < 0)
        return;
    emit notice(m_spectators[row].name + QStringLiteral(" has left."));
    m_spectators.removeAt(row);
    emit spectatorRemoved(int(row));
}

void Roster::justwatching(int seat, bool watching)
{
    if (seat == m_client.myseat() && m_ownWatching != watching) {
        m_ownWatching = watching;
        emit ownWatchingChanged(watching);
    }
    emit notice(m_names[seat]
                + (watching ? QStringLiteral(" is just watching") : QStringLiteral(" is now playing again")));
    m_watching[seat] = watching;
    emit watchingChanged(seat, watching);
}

void Roster::gameStarted()
{
    if (std::exchange(m_ownWatching, false))
        emit ownWatchingChanged(false);
    // A watching mark from the last game is wrong in the next.
    for (int seat = 1; seat <= game::kSeats; ++seat) {
        if (std::exchange(m_watching[seat], false))
            emit watchingChanged(seat, false);
    }
}

Roster::SeatMenu Roster::label_playername1ContextPopup(int seat)
{
    SeatMenu menu;
    if (m_client.ishost())
        menu = {true, true, true};
    if (seatName(seat) == kWaiting)
        menu.remove = false;
    m_popupseat = seat;
    return menu;
}

void Roster::RemoveFromGame1Click()
{
    kicking(m_popupseat);
}

void Roster::SettoJustWatch1Click()
{
    watch(m_popupseat, true);
}

void Roster::UnsetJustWatch1Click()
{
    watch(m_popupseat, false);
}

void Roster::watch(int seat, bool on)
{
    if (m_client.loggedin() && game::isSeat(seat))
        m_client.send(msg::JustWatch{seat, on});
}

void Roster::JustWatch1Click()
{
    if (m_client.loggedin() && game::isSeat(m_client.myseat()))
        watch(m_client.myseat(), !m_ownWatching);
}

void Roster::kicking(int slot)
{
    if (m_client.ishost() && m_client.loggedin() && game::isSlot(slot))
        m_client.send(msg::KickHim{m_client.myseat(), slot});
}
