#include "directory/server/directoryserver.h"

#include "base/numbers.h"
#include "protocol/tablename.h"
#include "words/badwords.h"

#include <QRandomGenerator>

#include <array>

namespace {

using Limit = AddressLimits::Limit;

QByteArray oneTimeValue()
{
    std::array<quint32, 4> words;
    QRandomGenerator::system()->fillRange(words.data(), words.size());
    return QByteArray(reinterpret_cast<const char *>(words.data()), sizeof words).toHex();
}

QString quoted(const QByteArray &name)
{
    return QLatin1Char('"') + QString::fromUtf8(name) + QLatin1Char('"');
}

QString describe(const msg::DirTable &table)
{
    return QStringLiteral("seats %1/%2, spectators %3/%4, %5")
        .arg(table.seats)
        .arg(game::kSeats)
        .arg(table.spectators)
        .arg(game::kSpectators)
        .arg(table.playing ? QStringLiteral("playing") : QStringLiteral("waiting"));
}

} // namespace

DirectoryServer::DirectoryServer(Options options, QObject *parent)
    : QObject(parent), m_options(options), m_limits(options.allowance)
{
    m_clock.start();
    m_prober.setTimeout(options.probeTimeoutMs);
    m_pool.onOpened = [this](quint64 id, const QHostAddress &address) { opened(id, address); };
    m_pool.onReceived = [this](quint64 id, QByteArrayView bytes) { received(id, bytes); };
    m_pool.onClosed = [this](quint64 id) { release(id, QStringLiteral("connection closed")); };
    connect(&m_prober, &Prober::finished, this, &DirectoryServer::probed);
    m_expiry.setSingleShot(true);
    connect(&m_expiry, &QTimer::timeout, this, &DirectoryServer::expire);
}

DirectoryServer::~DirectoryServer() = default;

bool DirectoryServer::listen(const QHostAddress &address, quint16 port)
{
    return m_pool.listen(address, port);
}

void DirectoryServer::opened(quint64 id, const QHostAddress &address)
{
    const AddressLimits::Key key = AddressLimits::keyOf(address);
    if (!m_limits.openConnection(key, extraConnections(key))) {
        if (m_limits.breach(key, Limit::Connections)) {
            log(QStringLiteral("limit %1: more than %2 connections")
                    .arg(Registry::plain(address).toString())
                    .arg(m_options.allowance.connections));
        }
        send(id, msg::DirRefused{"too many connections from this address"});
        m_pool.close(id);
        return;
    }
    Peer &peer = m_peers[id];
    peer.key = key;
    peer.address = Registry::plain(address);
    m_idle.touch(id, now());
    armExpiry();
}

void DirectoryServer::received(quint64 id, QByteArrayView bytes)
{
    const auto found = m_peers.find(id);
    if (found == m_peers.end())
        return;
    Peer &peer = found->second;
    if (peer.taken)
        return takeBytes(id, bytes);
    peer.in.add(bytes);
    while (std::optional<QByteArray> line = peer.in.next()) {
        if (line->size() > kMaxMessage || (!line->isEmpty() && !msg::isFramed(*line)))
            return breach(id, Limit::Protocol);
        if (line->isEmpty())
            continue;
        if (!m_limits.takeMessage(peer.key, now()))
            return breach(id, Limit::Messages);
        m_idle.touch(id, now());
        handle(id, peer, *line);
        // The message may have ended the connection, or handed it over.
        if (!m_peers.count(id))
            return;
        if (peer.taken) {
            if (const QByteArray rest = peer.in.takePending(); !rest.isEmpty())
                takeBytes(id, rest);
            return;
        }
    }
    if (peer.in.pendingSize() > kMaxMessage)
        breach(id, Limit::Protocol);
}

void DirectoryServer::handle(quint64 id, Peer &peer, const QByteArray &line)
{
    if (handleOther(id, line))
        return;
    std::optional<msg::ToDirectory> message;
    try {
        message = msg::readToDirectory(line);
    } catch (const EConvertError &) {
        // A number that is not one: as malformed as any other.
    }
    if (!message)
        return;   // unknown to this directory, or malformed: ignored
    if (const auto *table = std::get_if<msg::DirTable>(&*message)) {
        registerTable(id, peer, *table);
    } else if (const auto *ready = std::get_if<msg::DirReady>(&*message)) {
        const Registry::Table *entry = m_registry.find(id);
        if (entry && !peer.challenge.isEmpty() && ready->challenge == peer.challenge) {
            m_prober.start(id, entry->address, quint16(entry->info.port), peer.challenge, peer.answer);
            peer.challenge.clear();
            peer.answer.clear();
        }
    } else if (std::holds_alternative<msg::DirRecheck>(*message)) {
        if (peer.hasTable && now() - peer.recheckedMs >= kRecheckMs) {
            peer.recheckedMs = now();
            askForProbe(id, peer);
        }
    } else if (const auto *list = std::get_if<msg::DirList>(&*message)) {
        m_pool.send(id, m_registry.encodedPage(*list));
    } else if (const auto *code = std::get_if<msg::DirResolve>(&*message)) {
        resolve(id, code->code);
    }
    // A heartbeat has done its work already: the connection was heard.
}

void DirectoryServer::registerTable(quint64 id, Peer &peer, msg::DirTable table)
{
    table.name = tablename::cleaned(QString::fromUtf8(table.name)).toUtf8();
    if (table.name.isEmpty() || badwords::contains(QString::fromUtf8(table.name))) {
        log(QStringLiteral("refused %1: table name %2 not allowed").arg(peer.address.toString(), quoted(table.name)));
        send(id, msg::DirRefused{"the table name is not allowed"});
        return drop(id, QStringLiteral("name refused"));
    }
    if (peer.hasTable) {
        const int oldPort = m_registry.find(id)->info.port;
        if (!m_registry.update(id, table))
            return;
        const Registry::Table *entry = m_registry.find(id);
        log(QStringLiteral("updated %1 %2: %3")
                .arg(QString::fromLatin1(entry->code), quoted(table.name), describe(table)));
        if (table.port != oldPort)
            askForProbe(id, peer);
        return;
    }
    if (!m_limits.addTable(peer.key)) {
        send(id, msg::DirRefused{"too many tables from this address"});
        return breach(id, Limit::Tables);
    }
    peer.hasTable = true;
    const Registry::Table &entry = m_registry.add(id, peer.address, table);
    log(QStringLiteral("registered %1 %2 from %3 port %4: %5")
            .arg(QString::fromLatin1(entry.code), quoted(table.name), entry.address.toString())
            .arg(table.port)
            .arg(describe(table)));
    // Three heartbeats fit into the silence that ends a table.
    send(id, msg::DirCode{entry.code, qBound(1, m_options.expirySeconds / 3, kHeartbeatSeconds)});
    askForProbe(id, peer);
}

void DirectoryServer::askForProbe(quint64 id, Peer &peer)
{
    m_prober.cancel(id);
    m_registry.setReach(id, msg::Reach::Checking);
    peer.challenge = oneTimeValue();
    peer.answer = oneTimeValue();
    send(id, msg::DirProbe{peer.challenge, peer.answer});
}

void DirectoryServer::probed(quint64 id, Prober::Outcome outcome)
{
    const auto found = m_peers.find(id);
    const Registry::Table *entry = m_registry.find(id);
    if (found == m_peers.end() || !entry)
        return;
    Peer &peer = found->second;
    if (outcome == Prober::Outcome::Full && peer.fullRetries < kFullRetries) {
        // Nine players fill a table's port; ask again when one may have left.
        ++peer.fullRetries;
        QTimer::singleShot(kFullRetryMs, this, [this, id] {
            const auto again = m_peers.find(id);
            if (again != m_peers.end() && again->second.hasTable)
                askForProbe(id, again->second);
        });
        return;
    }
    const msg::Reach reach = outcome == Prober::Outcome::Answered ? msg::Reach::Direct
                             : offersRelay()                      ? msg::Reach::Relayed
                                                                  : msg::Reach::Unreachable;
    m_registry.setReach(id, reach);
    send(id, msg::DirReach{reach});
    log(QStringLiteral("probe %1: %2").arg(QString::fromLatin1(entry->code), QLatin1String(msg::reachText(reach))));
}

void DirectoryServer::resolve(quint64 id, QByteArrayView typed)
{
    const QByteArray code = joincode::normalised(typed);
    const Registry::Table *entry = code.isEmpty() ? nullptr : m_registry.findCode(code);
    if (!entry)
        return send(id, msg::DirNotFound{typed.toByteArray()});
    send(id, msg::DirFound{Registry::item(*entry)});
}

void DirectoryServer::takeOver(quint64 id)
{
    const auto found = m_peers.find(id);
    if (found == m_peers.end())
        return;
    found->second.taken = true;
    // Its silence is the extension's to judge.
    m_idle.remove(id);
}

QHostAddress DirectoryServer::peerAddress(quint64 id) const
{
    const auto found = m_peers.find(id);
    return found == m_peers.end() ? QHostAddress() : found->second.address;
}

quint64 DirectoryServer::tableConnection(QByteArrayView code) const
{
    const Registry::Table *entry = m_registry.findCode(code);
    return entry ? entry->connection : 0;
}

void DirectoryServer::breach(quint64 id, Limit limit)
{
    const auto found = m_peers.find(id);
    if (found == m_peers.end())
        return;
    const Peer &peer = found->second;
    if (m_limits.breach(peer.key, limit)) {
        const QString address = peer.address.toString();
        const AddressLimits::Allowance &allowance = m_options.allowance;
        switch (limit) {
        case Limit::Connections:
            break;   // told when it opened
        case Limit::Tables:
            log(QStringLiteral("limit %1: more than %2 tables").arg(address).arg(allowance.tables));
            break;
        case Limit::Messages:
            log(QStringLiteral("limit %1: more than %2 messages a minute").arg(address).arg(allowance.messagesPerMinute));
            break;
        case Limit::Protocol:
            log(QStringLiteral("limit %1: not the directory's protocol").arg(address));
            break;
        }
    }
    drop(id, QStringLiteral("limit broken"));
}

void DirectoryServer::drop(quint64 id, const QString &reason)
{
    m_pool.close(id);
    release(id, reason);
}

void DirectoryServer::release(quint64 id, const QString &reason)
{
    const auto found = m_peers.find(id);
    if (found == m_peers.end())
        return;
    const Peer peer = std::move(found->second);
    m_peers.erase(found);
    m_idle.remove(id);
    if (peer.hasTable) {
        m_prober.cancel(id);
        if (const Registry::Table *entry = m_registry.find(id))
            log(QStringLiteral("ended %1: %2").arg(QString::fromLatin1(entry->code), reason));
        m_registry.remove(id);
        m_limits.removeTable(peer.key);
    }
    m_limits.closeConnection(peer.key);
    connectionEnded(id);
}

void DirectoryServer::armExpiry()
{
    const std::optional<qint64> oldest = m_idle.oldest();
    if (!oldest || m_expiry.isActive())
        return;
    const qint64 due = *oldest + qint64(m_options.expirySeconds) * 1000 - now();
    m_expiry.start(int(qBound(qint64(0), due, qint64(24 * 3600 * 1000))));
}

void DirectoryServer::expire()
{
    const qint64 silence = qint64(m_options.expirySeconds) * 1000;
    const QString reason = QStringLiteral("silent for %1 seconds").arg(m_options.expirySeconds);
    for (const quint64 id : m_idle.takeSilentSince(now() - silence + 1))
        drop(id, reason);
    armExpiry();
}
