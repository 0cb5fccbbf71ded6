#include "client/roster.h"

#include "client/gameclient.h"
#include "net/fields.h"
#include "net/wire.h"

namespace {

bool validSeat(int seat)
{
    return seat >= 1 && seat <= Roster::kSeats;
}

} // namespace

Roster::Roster(GameClient &client, QObject *parent) : QObject(parent), m_client(client)
{
    m_names.fill(kWaiting);
}

QString Roster::seatName(int seat) const
{
    return validSeat(seat) ? m_names[seat] : QString();
}

bool Roster::isWatching(int seat) const
{
    return validSeat(seat) && m_watching[seat];
}

QStringList Roster::opponents() const
{
    QStringList names;
    for (int seat = 1; seat <= kSeats; ++seat) {
        if (seat != m_client.myseat && isSeated(seat))
            names << m_names[seat];
    }
    return names;
}

void Roster::newplayerinfo(const QByteArray &payload)
{
    FieldReader fields(payload);
    const int slot = fields.takeInt();
    if (slot < 1 || slot > 9)
        return;
    const QString name = QString::fromLatin1(fields.rest());
    if (slot == m_client.myseat) {
        emit m_client.systemLine(QStringLiteral("0+You are Connected."));
        emit ownArrival();
    } else {
        emit m_client.systemLine(QStringLiteral("0+") + name + QStringLiteral(" is Connected."));
    }
    if (validSeat(slot)) {
        m_names[slot] = name;
        emit seatChanged(slot);
    } else {
        m_spectators << QString::number(slot) + QStringLiteral(": ") + name;
        emit spectatorsChanged();
        emit m_client.systemLine(slot == m_client.myseat ? QStringLiteral("0+You are spying.")
                                                         : QStringLiteral("0+") + name + QStringLiteral(" is spying."));
    }
    m_client.playsounds(QStringLiteral("entered"));
}

void Roster::playerdisconnected(const QByteArray &payload)
{
    FieldReader fields(payload);
    const int slot = fields.takeInt();
    const QString name = QString::fromLatin1(fields.rest());
    if (validSeat(slot)) {
        if (m_names[slot] != kWaiting)
            emit m_client.systemLine(QStringLiteral("0+") + m_names[slot] + QStringLiteral(" disconnected."));
        m_names[slot] = kWaiting;
        emit seatChanged(slot);
        if (std::exchange(m_watching[slot], false))
            emit watchingChanged(slot, false);
        return;
    }
    const qsizetype line = m_spectators.indexOf(QString::number(slot) + QStringLiteral(": ") + name);
    if (line < 0)
        return;
    emit m_client.systemLine(QStringLiteral("0+") + name + QStringLiteral(" has left."));
    m_spectators.removeAt(line);
    emit spectatorsChanged();
}

void Roster::justwatching(const QByteArray &payload)
{
    FieldReader fields(payload);
    const int seat = fields.takeInt();
    if (!validSeat(seat))
        return;
    const bool watching = fields.take() == "1";
    if (seat == m_client.myseat && m_ownWatching != watching) {
        m_ownWatching = watching;
        emit ownWatchingChanged(watching);
    }
    emit m_client.systemLine(QStringLiteral("0+") + m_names[seat]
                             + (watching ? QStringLiteral(" is just watching") : QStringLiteral(" is now playing again")));
    m_watching[seat] = watching;
    emit watchingChanged(seat, watching);
}

void Roster::gameStarted()
{
    if (std::exchange(m_ownWatching, false))
        emit ownWatchingChanged(false);
    // A watching mark from the last game is wrong in the next.
    for (int seat = 1; seat <= kSeats; ++seat) {
        if (std::exchange(m_watching[seat], false))
            emit watchingChanged(seat, false);
    }
}

Roster::SeatMenu Roster::label_playername1ContextPopup(int seat)
{
    SeatMenu menu;
    if (m_client.ishost)
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
    watch(m_popupseat, 1);
}

void Roster::UnsetJustWatch1Click()
{
    watch(m_popupseat, 2);
}

void Roster::watch(int seat, int request)
{
    if (m_client.loggedin && validSeat(seat))
        m_client.send(wire::message("CMD_justwatch", wire::fields(seat, request)));
}

void Roster::JustWatch1Click()
{
    if (m_client.loggedin && validSeat(m_client.myseat))
        watch(m_client.myseat, m_ownWatching ? 2 : 1);
}

void Roster::popup_kickhimClick(const QString &line)
{
    bool ok = false;
    const int slot = line.section(QLatin1Char(':'), 0, 0).toInt(&ok);
    if (ok)
        kicking(slot);
}

void Roster::kicking(int slot)
{
    if (m_client.ishost && m_client.loggedin && slot >= 1 && slot <= 9)
        m_client.send(wire::message("CMD_kickhim", wire::fields(m_client.myseat, slot) + '+'));
}
