// The host's side of a game directory: its reachability probe (connections
// held back from a seat while a probe is awaited, and the answer), and the
// connections that come through its relay.
#include "host/serverform.h"

#include "net/connection.h"
#include "net/tsock.h"
#include "protocol/directorymessages.h"

#include <QTimer>

#include <algorithm>

void TServer::expectProbe(const QByteArray &challenge, const QByteArray &answer)
{
    awaitingProbe(); // drops the stale ones
    if (m_probes.size() >= kMaxProbes)
        m_probes.removeFirst();
    m_probes.append({challenge, answer, m_now() + kProbeWaitMs});
}

bool TServer::awaitingProbe()
{
    const qint64 now = m_now();
    m_probes.removeIf([now](const ExpectedProbe &probe) { return probe.untilMs <= now; });
    return !m_probes.isEmpty();
}

void TServer::hold(TSock *sock)
{
    auto *conn = new Connection(sock, receivedlist, this);
    const quint64 id = conn->id();
    m_held.insert(id, conn);
    QTimer::singleShot(kProbeHoldMs, conn, [this, id] { seatHeld(id); });
}

void TServer::seatHeld(quint64 connection)
{
    Connection *conn = m_held.take(connection);
    if (!conn)
        return;
    admit(conn);
}

void TServer::acceptRelayed(Connection *conn)
{
    conn->setParent(this);
    admit(conn);
}

void TServer::admit(Connection *conn)
{
    if (const int slot = freeSlotFor(conn->sock()->hostName())) {
        seat(slot, conn);
        return;
    }
    const quint64 connection = conn->id();
    try {
        conn->send(msg::encode(msg::Full{}));
    } catch (const ESockException &) {
        // gone already: there is nobody to tell
    }
    m_unseated.insert(connection, conn);
    emit connectionRefused(conn->sock()->hostName());
    conn->close();
}

bool TServer::probe(const msg::Probe &message, quint64 connection)
{
    awaitingProbe();
    const qsizetype index = std::find_if(m_probes.cbegin(), m_probes.cend(),
                                         [&](const ExpectedProbe &p) { return p.challenge == message.challenge; })
                            - m_probes.cbegin();
    if (index == m_probes.size())
        return false;
    Connection *conn = m_held.take(connection);
    if (conn) {
        m_unseated.insert(connection, conn);
    } else {
        // Too late to be held: it has a slot, and gives it back unannounced.
        const int slot = slotOfConnection(connection);
        if (!slot || players[slot].loggedin)
            return false;
        conn = players[slot].conn;
        m_seatedProbes.insert(connection);
    }
    const QByteArray answer = m_probes.takeAt(index).answer;
    try {
        conn->send(msg::encode(msg::ProbeOk{answer}));
    } catch (const ESockException &) {
        // it left: its end frees whatever it held
    }
    emit probeAnswered(conn->sock()->hostName());
    conn->close();
    return true;
}
