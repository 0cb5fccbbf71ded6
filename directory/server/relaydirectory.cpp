#include "directory/server/relaydirectory.h"

#include "protocol/joincode.h"

#include <QRandomGenerator>

#include <array>

namespace {

QByteArray sessionToken()
{
    std::array<quint32, 4> words;
    QRandomGenerator::system()->fillRange(words.data(), words.size());
    return QByteArray(reinterpret_cast<const char *>(words.data()), sizeof words).toHex();
}

} // namespace

RelayDirectory::RelayDirectory(DirectoryOptions options, RelayOptions relay, QObject *parent)
    : DirectoryServer(options, parent), m_options(relay), m_limits(relay.bytesPerSecond)
{
    pool().onDrained = [this](quint64 id) { drained(id); };
    m_sweep.setInterval(qMin(kSweepMs, m_options.idleSeconds * 1000));
    connect(&m_sweep, &QTimer::timeout, this, &RelayDirectory::sweep);
}

RelayDirectory::~RelayDirectory() = default;

bool RelayDirectory::handleOther(quint64 id, const QByteArray &line)
{
    // The directory's own messages are the directory's to read.
    if (!msg::isToRelay(line))
        return false;
    const std::optional<msg::ToRelay> message = msg::readToRelay(line);
    // A control connection stays one: its table lives on it.
    if (!message || registry().find(id))
        return true;
    if (const auto *join = std::get_if<msg::DirJoin>(&*message))
        this->join(id, join->code);
    else if (const auto *greeting = std::get_if<msg::DirRelayHello>(&*message))
        hello(id, greeting->session);
    return true;
}

void RelayDirectory::join(quint64 id, QByteArrayView typed)
{
    const QHostAddress address = peerAddress(id);
    const QByteArray code = joincode::normalised(typed);
    const QString who = QStringLiteral("relay %1: %2").arg(QString::fromLatin1(code), address.toString());
    const Registry::Table *table = code.isEmpty() ? nullptr : registry().findCode(code);
    // A table is listed only while its host holds its control connection.
    if (!table)
        return refuse(id, who, "no table has this code now");
    if (table->reach != msg::Reach::Relayed)
        return refuse(id, who, "the table is not relayed: join it at its address");
    const AddressLimits::Key clientKey = AddressLimits::keyOf(address);
    switch (m_limits.open(table->connection, clientKey)) {
    case RelayLimits::Verdict::TableFull:
        return refuse(id, who, "the table has all the relayed players it may have");
    case RelayLimits::Verdict::ClientLimit:
        return refuse(id, who, "too many relayed tables from this address");
    case RelayLimits::Verdict::Open:
        break;
    }
    const quint64 serial = m_nextSerial++;
    Session &session = m_sessions[serial];
    session.token = sessionToken();
    session.code = code;
    session.table = table->connection;
    session.clientKey = clientKey;
    session.hostKey = AddressLimits::keyOf(table->address);
    session.client = address.toString();
    session.ends[Client].connection = id;
    m_byToken.insert(session.token, serial);
    m_byConnection.insert(id, serial);
    ++m_hostConnections[session.hostKey];
    // What the client sends before its host is there waits for the host.
    takeOver(id);
    send(table->connection, msg::DirRelay{session.token, session.client.toLatin1()});
    log(subject(session) + QStringLiteral(" asks to join (%1 of %2)")
                               .arg(m_limits.sessions(session.table))
                               .arg(RelayLimits::kPerTable));
    QTimer::singleShot(m_options.helloTimeoutMs, this, [this, serial] {
        const auto found = m_sessions.find(serial);
        if (found != m_sessions.end() && !found->second.ends[Host].connection) {
            send(found->second.ends[Client].connection, msg::DirRefused{"the table's host did not answer"});
            end(serial, QStringLiteral("the host did not answer"));
        }
    });
}

void RelayDirectory::hello(quint64 id, const QByteArray &token)
{
    const quint64 serial = m_byToken.take(token);
    const auto found = m_sessions.find(serial);
    if (found == m_sessions.end())
        return refuse(id, QStringLiteral("relay: host %1").arg(peerAddress(id).toString()), "no such relay session");
    Session &session = found->second;
    session.ends[Host].connection = id;
    m_byConnection.insert(id, serial);
    takeOver(id);
    if (!sendBytes(id, std::exchange(session.early, QByteArray())))
        return;   // gone already: its end ends the session
    m_idle.touch(serial, now());
    if (!m_sweep.isActive())
        m_sweep.start();
    log(subject(session) + QStringLiteral(" joined through the relay"));
}

void RelayDirectory::refuse(quint64 id, const QString &subject, const QByteArray &reason)
{
    log(subject + QStringLiteral(" refused: ") + QString::fromLatin1(reason));
    send(id, msg::DirRefused{reason});
    drop(id, QStringLiteral("relay refused"));
}

void RelayDirectory::takeBytes(quint64 id, QByteArrayView bytes)
{
    const quint64 serial = m_byConnection.value(id);
    const auto found = m_sessions.find(serial);
    if (found == m_sessions.end())
        return;
    Session &session = found->second;
    const Side from = session.ends[Client].connection == id ? Client : Host;
    if (!session.ends[Host].connection) {
        session.early.append(bytes);
        if (session.early.size() > kMaxEarly)
            end(serial, QStringLiteral("the client sent too much before its host came"));
        return;
    }
    forward(serial, session, from, bytes);
}

void RelayDirectory::forward(quint64 serial, Session &session, Side from, QByteArrayView bytes)
{
    End &source = session.ends[from];
    const quint64 to = session.ends[1 - from].connection;
    if (!sendBytes(to, bytes))
        return;   // the other side is ending; its end ends the session
    session.bytes += bytes.size();
    m_relayedBytes += bytes.size();
    m_idle.touch(serial, now());
    if (const qint64 waitMs = m_limits.spend(session.table, bytes.size(), now()); waitMs > 0) {
        if (!std::exchange(session.capLogged, true))
            log(subject(session) + QStringLiteral(" capped at %1 bytes a second").arg(m_options.bytesPerSecond));
        source.throttled = true;
        updateReading(source);
        QTimer::singleShot(int(waitMs), this, [this, serial, from] {
            const auto found = m_sessions.find(serial);
            if (found == m_sessions.end())
                return;
            found->second.ends[from].throttled = false;
            updateReading(found->second.ends[from]);
        });
    }
    if (pool().queued(to) > kMaxBuffered) {
        source.waiting = true;
        updateReading(source);
    }
}

void RelayDirectory::updateReading(const End &end)
{
    pool().setReadPaused(end.connection, end.waiting || end.throttled);
}

void RelayDirectory::drained(quint64 id)
{
    const auto found = m_sessions.find(m_byConnection.value(id));
    if (found == m_sessions.end())
        return;
    Session &session = found->second;
    // The side that sends to this one may go on.
    End &sender = session.ends[session.ends[Client].connection == id ? Host : Client];
    if (std::exchange(sender.waiting, false))
        updateReading(sender);
}

void RelayDirectory::connectionEnded(quint64 id)
{
    if (const quint64 serial = m_byConnection.value(id)) {
        const Session &session = m_sessions.at(serial);
        end(serial, session.ends[Client].connection == id ? QStringLiteral("the client left")
                                                         : QStringLiteral("the host closed it"));
        return;
    }
    // A table's control connection: sessions still waiting for its host
    // will not get one.
    QList<quint64> waiting;
    for (const quint64 serial : std::as_const(m_byToken)) {
        if (m_sessions.at(serial).table == id)
            waiting << serial;
    }
    for (const quint64 serial : std::as_const(waiting)) {
        send(m_sessions.at(serial).ends[Client].connection, msg::DirRefused{"the table's host left the directory"});
        end(serial, QStringLiteral("the host left the directory"));
    }
}

void RelayDirectory::end(quint64 serial, const QString &why)
{
    const auto found = m_sessions.find(serial);
    if (found == m_sessions.end())
        return;
    const Session session = std::move(found->second);
    m_sessions.erase(found);
    m_byToken.remove(session.token);
    m_idle.remove(serial);
    m_limits.close(session.table, session.clientKey);
    if (--m_hostConnections[session.hostKey] <= 0)
        m_hostConnections.remove(session.hostKey);
    log(subject(session) + QStringLiteral(" ended after %1 bytes: %2").arg(session.bytes).arg(why));
    for (const End &end : session.ends) {
        if (!end.connection)
            continue;
        m_byConnection.remove(end.connection);
        drop(end.connection, QStringLiteral("relay ended"));
    }
    if (m_idle.size() == 0)
        m_sweep.stop();
}

void RelayDirectory::sweep()
{
    const qint64 idleMs = qint64(m_options.idleSeconds) * 1000;
    const QString why = QStringLiteral("idle for %1 seconds").arg(m_options.idleSeconds);
    for (const quint64 serial : m_idle.takeSilentSince(now() - idleMs + 1))
        end(serial, why);
}

QString RelayDirectory::subject(const Session &session) const
{
    return QStringLiteral("relay %1: %2").arg(QString::fromLatin1(session.code), session.client);
}
